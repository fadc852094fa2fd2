// The radio receive path: escaped API frames from the unit port into RxFrame, one dispatcher
// call per good frame.

#include "core/Hooks.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/ReceivePath.h"
#include "link/ReceiveState.h"
#include "link/SerialPort.h"
#include "link/codec/ApiFrame.h"
#include "support/Fixtures.h"

#include <vector>

namespace undarix::testing {
namespace {

using core::Program;

// The escaped wire bytes of a frame whose data is `data`.
std::string Wire(const std::string& data) {
    std::uint8_t out[link::codec::kMaxEncodedFrame];
    const std::size_t n = link::codec::EncodeApiFrame(
        reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), out);
    return std::string(reinterpret_cast<const char*>(out), n);
}

// Start delimiter, length and data as given, unescaped, with the right checksum.
std::string RawFrame(const std::string& data) {
    std::string wire = "\x7E";
    wire += char(data.size() >> 8);
    wire += char(data.size() & 0xFF);
    wire += data;
    wire += char(link::codec::FrameChecksum(reinterpret_cast<const std::uint8_t*>(data.data()),
                                            data.size()));
    return wire;
}

std::string Packet(const std::string& text) {
    return std::string("\x90\x00\x13\xA2\x00\x40\xA1\xB2\xC3\xFF\xFE\x41", 12) + text;
}

class RadioReceiveTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        Program.UnitType = core::RavoZerarXB;
        port = link::PortNumberForPath("mem:adapter");
        ASSERT_EQ(link::OpenComConfig(port, 115200), 0);
        link::InstallComCallback(port, link::kRxCharEvent, link::ComCallback);
        Program.OpenComPortNum = port;
        core::hooks.RxDataService = [this](std::uint8_t tenth) {
            EXPECT_EQ(tenth, 0);
            EXPECT_EQ(link::UartXbee.receiveState, 3);
            const int n = link::UartXbee.frameLength;
            frames.emplace_back(reinterpret_cast<const char*>(link::RxFrame), std::size_t(n));
            // The checksum is kept after the last frame byte.
            checksums.push_back(link::RxFrame[n]);
            link::UartXbee.receiveState = 0;
        };
    }
    void Receive(const std::string& bytes) { link::MemoryPortReceive(port, bytes); }

    int port = 0;
    std::vector<std::string> frames;
    std::vector<std::uint8_t> checksums;
};

TEST_F(RadioReceiveTest, GoodFramesAreServedAndBadOnesDroppedWithoutLosingTheNext) {
    const std::string good = Packet("C003,D1,S08,01234\r\n");
    std::string badChecksum = Wire(Packet("C004,D1,S08,00001\r\n"));
    badChecksum.back() = char(badChecksum.back() ^ 0x01);
    struct Case {
        const char* what;
        std::string bytes;
        bool swallowsNext; // the next frame is taken as the rest of this one
    };
    const Case cases[] = {
        {"bad checksum", badChecksum, false},
        {"length 4", RawFrame(std::string("\x8B\x01\x00\x00", 4)), false},
        {"length 256", RawFrame(std::string(256, 'x')), false},
        {"length 0", RawFrame(""), false},
        {"noise between frames", std::string("\x00\x41\xFF\x7D", 4), false},
        // A start delimiter inside a frame is data: the cut frame runs on into the next one
        // and fails its check; the frame after that is received.
        {"a frame cut off", Wire(good).substr(0, 9), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        frames.clear();
        Receive(c.bytes + Wire(good));
        if (c.swallowsNext) {
            EXPECT_TRUE(frames.empty());
            Receive(Wire(good));
        }
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0], good);
        EXPECT_EQ(link::UartXbee.receiveState, 0);
    }
}

TEST_F(RadioReceiveTest, BytesArrivingWhileAFrameIsServedWaitTheirTurn) {
    // A pop-up raised by the dispatcher runs the event loop, and more bytes arrive meanwhile.
    const std::string first = Packet("$DN,003\r\n");
    const std::string second = Packet("C003,D1,S08,01234\r\n");
    auto record = core::hooks.RxDataService;
    core::hooks.RxDataService = [&](std::uint8_t tenth) {
        if (frames.empty()) {
            Receive(Wire(second));
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(link::RxFrame), first.size()),
                      first)
                << "the frame being served is left intact";
        }
        record(tenth);
    };
    Receive(Wire(first));
    EXPECT_EQ(frames, (std::vector<std::string>{first, second}));
}

TEST_F(RadioReceiveTest, EscapedBytesAreRestoredAndAFrameMayArriveByteByByte) {
    // 0x7E, 0x7D, 0x11 and 0x13 inside the address and the text, and a checksum worth checking.
    const std::string data =
        std::string("\x90\x00\x13\xA2\x7E\x7D\x11\xB2\xC3\xFF\xFE\x41", 12) + "I\x7E\x7D\x13";
    const std::string wire = Wire(data);
    ASSERT_NE(wire.find("\x7D\x5E"), std::string::npos);
    for (char byte : wire)
        Receive(std::string(1, byte));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], data);
    EXPECT_EQ(checksums[0], link::codec::FrameChecksum(
                                reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
    EXPECT_EQ(link::UartXbee.frameLength, int(data.size()));

    // A raw 0x7E inside a frame is data, not a new start.
    frames.clear();
    Receive(RawFrame(Packet("a\x7E"
                            "b")));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], Packet("a\x7E"
                                "b"));
}

// A file playing changes nothing for the port's bytes: the dispatcher keeps them apart.
TEST_F(RadioReceiveTest, InFileModeBytesReachTheCaptureFileAndTheDispatcher) {
    std::string captured;
    core::hooks.CaptureByte = [&](std::uint8_t byte) {
        EXPECT_TRUE(frames.empty()) << "captured before anything else";
        captured += char(byte);
    };
    const std::string wire = "\x01" + Wire(Packet("C001,D1,S08,00001\r\n"));

    Program.DataSource = core::kSourceFile;
    Program.APIFrameDataFileOpen = 1;
    Receive(wire);
    EXPECT_EQ(captured, wire);
    EXPECT_EQ(frames.size(), 1u);

    Program.DataSource = core::kSourceSerialPort;
    captured.clear();
    Program.APIFrameDataFileOpen = 0;
    Receive(wire);
    EXPECT_EQ(frames.size(), 2u);
    EXPECT_EQ(captured, "") << "no capture file open";

    // A wired kind's bytes are never captured.
    Program.APIFrameDataFileOpen = 1;
    Program.UnitType = core::WiredRavoZerar402E;
    Receive("2047\r\n");
    EXPECT_EQ(captured, "");
}

TEST_F(RadioReceiveTest, FramesKeepComingWithoutADispatcherAndAfterAPlaybackFrame) {
    core::hooks.RxDataService = nullptr;
    Receive(Wire(Packet("first")));
    EXPECT_EQ(link::UartXbee.receiveState, 0);
    Receive(Wire(Packet("second")));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(link::RxFrame) + 12, 6), "second");
    EXPECT_EQ(link::UartXbee.frameLength, 18);

    // Half a frame, then a played-back frame is served (the receive state goes back to 0):
    // the hunt starts over at the next start delimiter.
    const std::string wire = Wire(Packet("third"));
    Receive(wire.substr(0, 8));
    EXPECT_EQ(link::UartXbee.receiveState, 2);
    link::UartXbee.receiveState = 0;
    Receive(wire);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(link::RxFrame) + 12, 5), "third");
}

TEST_F(RadioReceiveTest, OnlyTheBoardReadsWithoutTheCharacterEvent) {
    link::InstallComCallback(port, link::kRxCharEvent, [](int, int) {}); // leave bytes queued
    Receive(Wire(Packet("x")));
    const int queued = link::GetInQLen(port);
    ASSERT_GT(queued, 0);
    link::ComCallback(port, 0);
    EXPECT_EQ(link::GetInQLen(port), queued);
    Program.UnitType = core::WiredRavoZerar402E;
    link::ComCallback(port, 0);
    EXPECT_EQ(link::GetInQLen(port), queued);
    Program.UnitType = core::Vazavevezeze;
    link::ComCallback(port, 0);
    EXPECT_EQ(link::GetInQLen(port), 0);
}

} // namespace
} // namespace undarix::testing
