#pragma once

// The radio adapter's side of a memory port: frames the program wrote, decoded, and frames
// the adapter hands the program (unit replies, AT responses), encoded as on the wire.

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/PanId.h"
#include "link/ReceivePath.h"
#include "link/SerialPort.h"
#include "link/codec/ApiFrame.h"
#include "support/Fixtures.h"
#include "ui/Timers.h"

#include <cstdint>
#include <string>
#include <vector>

namespace undarix::testing {

struct SentFrame {
    std::uint8_t api = 0;
    std::uint64_t destination = 0; // transmit requests and remote AT commands
    std::string text;              // the command text or the AT command and its value
};

inline std::string AddressBytes(std::uint64_t address) {
    std::string s;
    for (int i = 7; i >= 0; --i)
        s += char(address >> (8 * i));
    return s;
}

inline std::uint64_t ReadAddressBytes(const std::uint8_t* bytes) {
    std::uint64_t address = 0;
    for (int i = 0; i < 8; ++i)
        address = address << 8 | bytes[i];
    return address;
}

// The frame data of every escaped API frame on the wire (the checksum is not checked: the
// frame assembler of the receive path leaves out frames shorter than a unit's, such as a
// local AT request).
inline std::vector<std::string> WireFrames(const std::string& wire) {
    std::vector<std::string> frames;
    std::string bytes;
    for (std::size_t i = 0; i < wire.size(); ++i) {
        if (std::uint8_t(wire[i]) == link::codec::kStartDelimiter) {
            bytes.clear();
            bytes += wire[i];
            continue;
        }
        if (bytes.empty()) continue;
        char c = wire[i];
        if (std::uint8_t(c) == link::codec::kEscape && i + 1 < wire.size())
            c = char(wire[++i] ^ link::codec::kEscapeXor);
        bytes += c;
        if (bytes.size() < 3) continue;
        const std::size_t length = std::uint8_t(bytes[1]) << 8 | std::uint8_t(bytes[2]);
        if (bytes.size() == 3 + length + 1) {
            frames.push_back(bytes.substr(3, length));
            bytes.clear();
        }
    }
    return frames;
}

inline std::vector<SentFrame> DecodeSent(const std::string& wire) {
    std::vector<SentFrame> frames;
    for (const std::string& data : WireFrames(wire)) {
        const auto* frame = reinterpret_cast<const std::uint8_t*>(data.data());
        const int n = int(data.size());
        if (n < 1) continue;
        SentFrame sent;
        sent.api = frame[0];
        const char* bytes = data.data();
        if (sent.api == link::codec::kTransmitRequest && n >= 14) {
            sent.destination = ReadAddressBytes(frame + 2);
            sent.text.assign(bytes + 14, std::size_t(n - 14));
        } else if (sent.api == link::codec::kATCommand && n >= 2) {
            sent.text.assign(bytes + 2, std::size_t(n - 2));
        } else if (sent.api == link::codec::kRemoteATCommand && n >= 13) {
            sent.destination = ReadAddressBytes(frame + 2);
            sent.text.assign(bytes + 13, std::size_t(n - 13));
        }
        frames.push_back(sent);
    }
    return frames;
}

// The real panel with the adapter on a memory port, opened as the port selector opens it.
class RadioLinkTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        port = link::PortNumberForPath("mem:adapter");
        ASSERT_EQ(link::OpenComConfig(port, 115200), 0);
        core::Program.OpenComPortNum = port;
        link::InstallComCallback(port, link::kRxCharEvent, link::ComCallback);
    }

    std::vector<SentFrame> TakeSent() { return DecodeSent(link::MemoryPortTakeWritten(port)); }
    // The texts of the transmit requests written since the last call.
    std::vector<std::string> TakeCommands() {
        std::vector<std::string> texts;
        for (const SentFrame& frame : TakeSent())
            if (frame.api == link::codec::kTransmitRequest) texts.push_back(frame.text);
        return texts;
    }

    void Feed(const std::string& frameData) {
        std::uint8_t wire[link::codec::kMaxEncodedFrame];
        const std::size_t n = link::codec::EncodeApiFrame(
            reinterpret_cast<const std::uint8_t*>(frameData.data()), frameData.size(), wire);
        link::MemoryPortReceive(port, std::string(reinterpret_cast<const char*>(wire), n));
    }
    // A unit's text as the adapter hands it on (receive packet 0x90).
    void Reply(std::uint64_t address, const std::string& text) {
        Feed("\x90" + AddressBytes(address) + std::string("\xFF\xFE\x01", 3) + text);
    }
    // A response of the adapter to a local AT command (0x88).
    void LocalResponse(const std::string& command, int status, const std::string& value = {}) {
        Feed(std::string("\x88\x01", 2) + command + char(status) + value);
    }
    // A response of a unit's radio to a remote AT command (0x97).
    void RemoteResponse(std::uint64_t address, const std::string& command, int status,
                        const std::string& value = {}) {
        Feed(std::string("\x97\x01", 2) + AddressBytes(address) + std::string("\xFF\xFE", 2) +
             command + char(status) + value);
    }

    void Tick(int times = 1) {
        for (int i = 0; i < times; ++i)
            ui::TickTimer(core::timer::Config);
    }

    int port = 0;
};

} // namespace undarix::testing
