#pragma once

// A radio port open on a memory port, packets served straight into the dispatcher, the
// display timer ticked by hand and the transmit requests written to the adapter decoded.

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/ReceiveState.h"
#include "link/SerialPort.h"
#include "link/codec/ApiFrame.h"
#include "live/FrameDispatch.h"
#include "support/Fixtures.h"
#include "ui/Timers.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace undarix::testing {

struct SentFrame {
    std::uint64_t destination = 0;
    std::string text;
};

class RadioTimerTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        port = link::PortNumberForPath("mem:adapter");
        ASSERT_EQ(link::OpenComConfig(port, 115200), 0);
        core::Program.OpenComPortNum = port;
    }

    // The transmit requests written since the last call.
    std::vector<SentFrame> TakeSent() {
        std::vector<SentFrame> sent;
        link::codec::ApiFrameAssembler assembler;
        std::uint8_t frame[512];
        for (char c : link::MemoryPortTakeWritten(port)) {
            if (assembler.Feed(std::uint8_t(c), frame) !=
                link::codec::ApiFrameAssembler::Result::Complete)
                continue;
            const int length = assembler.FrameLength();
            assembler.Serve();
            if (frame[0] != link::codec::kTransmitRequest || length < 14) continue;
            SentFrame f;
            for (int i = 2; i < 10; ++i)
                f.destination = f.destination << 8 | frame[i];
            f.text.assign(reinterpret_cast<const char*>(frame) + 14, std::size_t(length - 14));
            sent.push_back(f);
        }
        return sent;
    }

    // A receive packet from this address, served as the receive path would.
    static void Packet(std::uint64_t address, const std::string& text) {
        std::string frame = "\x90";
        for (int i = 7; i >= 0; --i)
            frame += char(address >> (8 * i));
        frame += std::string("\xFF\xFE\x41", 3) + text;
        std::memcpy(link::RxFrame, frame.data(), frame.size());
        link::UartXbee.frameLength = int(frame.size());
        link::UartXbee.receiveState = 3;
        live::RxDataService(0);
    }

    // An "I", "A" or "F" block at this rate whose time stamp ends in these seconds.
    static std::string Block(char kind, int rate, int seconds = 5) {
        char header[40];
        std::snprintf(header, sizeof header, "%c004,S%02i,B0,2026-12-07T12:00:%02i,,", kind, rate,
                      seconds);
        const std::size_t bytes = kind == 'I' ? 128 : kind == 'A' ? 192 : 128;
        return header + std::string(bytes, kind == 'A' ? '1' : '\0');
    }
    static std::string Single() { return "C001,D1,S08,01234"; }

    static void Tick(int times = 1) {
        for (int i = 0; i < times; ++i)
            ui::TickTimer(core::timer::DeviceDisplay);
    }

    int port = 0;
};

} // namespace undarix::testing
