#pragma once

// A wired unit or the board on a memory port, with the wired configuration bound: the test
// ticks the two timers, plays the unit's replies and reads what the program sent.

#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "core/codec/ConfigBlock.h"
#include "link/ReceivePath.h"
#include "link/SerialPort.h"
#include "support/Fixtures.h"
#include "ui/ControlRegistry.h"
#include "wiredcfg/BindWiredConfig.h"
#include "wiredcfg/ConfigCycle.h"
#include "wiredcfg/ConnectTimer.h"

#include <cstring>
#include <string>

namespace undarix::testing {

inline constexpr const char* kSerial = "WS2611-0042175";

// A unit's block: version 23, gain 4096, offset -500, 10 Hz, serial output on, and the staff
// the prescale selects.
inline core::WiredConfigRecord UnitRecord(std::uint8_t range = 0, std::uint8_t count = 148) {
    core::WiredConfigRecord record;
    std::memcpy(record.Version, "23.00", 6);
    record.PrescaleRange = range;
    record.Prescale = count;
    record.Gain = 4096.0f;
    record.Offset = -500.0f;
    record.SampleRate = 10;
    record.ModeFlags = 0x02;
    return record;
}

inline std::string BlockOf(const core::WiredConfigRecord& record, int unitType) {
    char out[core::codec::kBlockBufferSize];
    const std::size_t length = core::codec::BuildConfigBlock(record, unitType, out);
    return std::string(out, length);
}

// Pair `pair` of a block, as its two characters.
inline std::string PairText(const std::string& block, int pair) {
    return block.substr(std::size_t(3 * pair), 2);
}

class WiredUnitTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        wiredcfg::BindWiredConfig();
    }

    // Opens the memory port for a unit kind, as choosing the kind and its port does.
    void UseKind(int unitType) {
        core::Program.UnitType = unitType;
        port = link::PortNumberForPath("mem:wired-unit");
        if (!link::IsComOpen(port)) link::OpenComConfig(port, core::BaudRateFor(unitType));
        link::InstallComCallback(port, link::kRxCharEvent, link::ComCallback);
        core::Program.OpenComPortNum = port;
        core::Program.WSWLConnectStatus = 0;
    }

    void Receive(const std::string& bytes) { link::MemoryPortReceive(port, bytes); }
    std::string Written() { return link::MemoryPortTakeWritten(port); }
    void Tick() { wiredcfg::WSWLDeviceConnectTimer(); }
    void ConfigTick() { wiredcfg::WLWSConfigTimer(); }

    // The hand-shake from its start up to the block received (state 6), the unit answering
    // every command; what the program sent is discarded.
    void ReadUnit(const std::string& block) {
        core::Program.WSWLConnectStatus = 0;
        Tick();
        Receive("STOK,");
        Tick();
        Receive(std::string("IOK,") + kSerial + ",");
        Tick();
        Receive("ROK," + block + "\r\n");
        Written();
    }

    // Configure mode with the page shown for `block`.
    void ShowConfiguration(const std::string& block) {
        core::Program.WSWLConfigMode = 1;
        ReadUnit(block);
        ConfigTick(); // the hand-shake's restart clears the page
        ConfigTick(); // and the block is shown
    }

    // The block written after "w", or the whole text when there is none.
    std::string SentBlock() {
        const std::string sent = Written();
        return !sent.empty() && sent[0] == 'w' ? sent.substr(1) : sent;
    }

    int port = 0;
};

} // namespace undarix::testing
