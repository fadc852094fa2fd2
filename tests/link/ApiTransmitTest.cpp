// API frames written to the radio adapter: framing, escaping, checksum and the TxStr bounds.

#include "link/ApiTransmit.h"
#include "core/ProgramState.h"
#include "link/SerialPort.h"
#include "support/Fixtures.h"

#include <cstring>
#include <functional>

namespace undarix::testing {
namespace {

using core::Program;

std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes)
        s += char(b);
    return s;
}

class ApiTransmitTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        port = link::PortNumberForPath("mem:adapter");
        ASSERT_EQ(link::OpenComConfig(port, 115200), 0);
        Program.OpenComPortNum = port;
    }
    void SetTxStr(const std::string& text) {
        std::memcpy(Program.TxStr, text.data(), std::min(text.size(), sizeof Program.TxStr));
    }
    int port = 0;
};

constexpr std::uint64_t kUnit = 0x0013A20040A1B2C3ull;

TEST_F(ApiTransmitTest, FramesAreBuiltEscapedAndCheckedAsTheAdapterExpects) {
    struct Case {
        const char* what;
        std::string text;
        std::function<int(int n)> send;
        std::string wire;
    };
    const Case cases[] = {
        {"transmit request, address byte 0x13 escaped", "RT\r\n",
         [](int n) { return link::ComWrtAPIFrame(kUnit, n); },
         Bytes({0x7E, 0x00, 0x12, 0x10, 0x01, 0x00, 0x7D, 0x33, 0xA2, 0x00, 0x40, 0xA1,
                0xB2, 0xC3, 0xFF, 0xFE, 0x00, 0x00, 0x52, 0x54, 0x0D, 0x0A, 0x29})},
        {"local AT command", "ID", [](int n) { return link::ComWrtATCommand(n); },
         Bytes({0x7E, 0x00, 0x04, 0x08, 0x01, 0x49, 0x44, 0x69})},
        {"checksum 0x7E escaped", "<<", [](int n) { return link::ComWrtATCommand(n); },
         Bytes({0x7E, 0x00, 0x04, 0x08, 0x01, 0x3C, 0x3C, 0x7D, 0x5E})},
        {"remote AT command", "ID", [](int n) { return link::ComWrtRemoteATCommand(kUnit, n); },
         Bytes({0x7E, 0x00, 0x0F, 0x17, 0x01, 0x00, 0x7D, 0x33, 0xA2, 0x00,
                0x40, 0xA1, 0xB2, 0xC3, 0xFF, 0xFE, 0x02, 0x49, 0x44, 0x50})},
        {"broadcast, XON and XOFF in the text escaped", "\x11\x13",
         [](int n) { return link::ComWrtAPIFrame(0xFFFF, n); },
         Bytes({0x7E, 0x00, 0x10, 0x10, 0x01, 0,    0,    0,    0,    0,    0,
                0xFF, 0xFF, 0xFF, 0xFE, 0x00, 0x00, 0x7D, 0x31, 0x7D, 0x33, 0xCF})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetTxStr(c.text);
        EXPECT_EQ(c.send(int(c.text.size())), 1);
        EXPECT_EQ(link::MemoryPortTakeWritten(port), c.wire);
    }
}

TEST_F(ApiTransmitTest, ACountBeyondTxStrIsCutAndANegativeOneSendsNoText) {
    std::memset(Program.TxStr, 'a', sizeof Program.TxStr);
    link::ComWrtAPIFrame(kUnit, 500);
    const std::string wire = link::MemoryPortTakeWritten(port);
    ASSERT_GE(wire.size(), 3u);
    EXPECT_EQ(std::uint8_t(wire[2]), 52 + 14);       // length: 52 text bytes and the header
    EXPECT_EQ(wire.size(), 1 + 2 + 52 + 14 + 1 + 1); // one escaped address byte

    link::ComWrtATCommand(-3);
    EXPECT_EQ(link::MemoryPortTakeWritten(port), Bytes({0x7E, 0x00, 0x02, 0x08, 0x01, 0xF6}));
}

// The length bytes are escaped like any other: a transmit request whose length is 0x11, 0x13,
// 0x7D or 0x7E (text of 3, 5, 111 or 112 bytes behind the 14-byte header) goes out with that
// byte escaped, and the frame unescapes to the text with a right checksum.
TEST_F(ApiTransmitTest, ALengthByteThatNeedsEscapingIsEscaped) {
    struct Case {
        std::size_t textLength;
        std::string head; // start flag and the escaped length
    };
    const Case cases[] = {
        {3, Bytes({0x7E, 0x00, 0x7D, 0x31})},
        {5, Bytes({0x7E, 0x00, 0x7D, 0x33})},
        {111, Bytes({0x7E, 0x00, 0x7D, 0x5D})},
        {112, Bytes({0x7E, 0x00, 0x7D, 0x5E})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.textLength);
        const std::string text(c.textLength, 'a');
        if (c.textLength <= sizeof Program.TxStr) {
            SetTxStr(text);
            EXPECT_EQ(link::ComWrtAPIFrame(0xFFFF, int(text.size())), 1);
        } else {
            EXPECT_EQ(link::ComWrtAPIFrameText(0xFFFF, text.data(), int(text.size())), 1);
        }
        const std::string wire = link::MemoryPortTakeWritten(port);
        ASSERT_GE(wire.size(), c.head.size());
        EXPECT_EQ(wire.substr(0, c.head.size()), c.head);

        // Unescaped by hand: no flag or flow-control byte left bare after the start flag.
        std::string frame;
        for (std::size_t i = 1; i < wire.size(); ++i) {
            const auto byte = std::uint8_t(wire[i]);
            ASSERT_TRUE(byte != 0x7E && byte != 0x11 && byte != 0x13) << i;
            if (byte == 0x7D) {
                ASSERT_LT(i + 1, wire.size());
                frame += char(std::uint8_t(wire[++i]) ^ 0x20);
            } else {
                frame += char(byte);
            }
        }
        const std::size_t length = 14 + c.textLength;
        ASSERT_EQ(frame.size(), 2 + length + 1);
        EXPECT_EQ(std::uint8_t(frame[1]), length);
        EXPECT_EQ(frame.substr(2 + 14, c.textLength), text);
        unsigned sum = 0;
        for (std::size_t i = 2; i < 2 + length; ++i)
            sum += std::uint8_t(frame[i]);
        EXPECT_EQ(std::uint8_t(frame.back()), std::uint8_t(0xFF - (sum & 0xFF)));
    }
}

TEST_F(ApiTransmitTest, NothingIsWrittenWithoutAnOpenPort) {
    SetTxStr("ID");
    Program.OpenComPortNum = 0;
    EXPECT_EQ(link::ComWrtATCommand(2), 0);
    EXPECT_EQ(link::ComWrtAPIFrame(kUnit, 2), 0);
    EXPECT_EQ(link::ComWrtRemoteATCommand(kUnit, 2), 0);
    EXPECT_EQ(link::MemoryPortTakeWritten(port), "");
    // A port that fails its first write ends the frame there and reports the failure.
    Program.OpenComPortNum = port + 1;
    EXPECT_LT(link::ComWrtATCommand(2), 1);
}

} // namespace
} // namespace undarix::testing
