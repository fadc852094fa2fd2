// A transmit request with the caller's own text: the same frame as from TxStr, and TxStr
// untouched.

#include "core/ProgramState.h"
#include "link/ApiTransmit.h"
#include "link/SerialPort.h"
#include "support/Fixtures.h"

#include <cstring>

namespace undarix::testing {
namespace {

using core::Program;

constexpr std::uint64_t kUnit = 0x0013A20040A1B2C3ull;

class ApiTransmitTextTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        port = link::PortNumberForPath("mem:adapter");
        ASSERT_EQ(link::OpenComConfig(port, 115200), 0);
        Program.OpenComPortNum = port;
    }
    int port = 0;
};

TEST_F(ApiTransmitTextTest, SendsTheSameFrameAsFromTxStrAndLeavesTxStrAlone) {
    const char text[] = "BP,1\r\n";
    std::memcpy(Program.TxStr, text, sizeof text);
    EXPECT_EQ(link::ComWrtAPIFrame(kUnit, 6), 1);
    const std::string fromTxStr = link::MemoryPortTakeWritten(port);

    const char command[] = "WT,26-12-07T11:00:00\r\n";
    std::memcpy(Program.TxStr, command, sizeof command);
    EXPECT_EQ(link::ComWrtAPIFrameText(kUnit, text, 6), 1);
    EXPECT_EQ(link::MemoryPortTakeWritten(port), fromTxStr);
    EXPECT_STREQ(Program.TxStr, command);
}

TEST_F(ApiTransmitTextTest, NoTextNoPortNothingSent) {
    link::ComWrtAPIFrame(kUnit, 0);
    const std::string empty = link::MemoryPortTakeWritten(port);
    EXPECT_EQ(link::ComWrtAPIFrameText(kUnit, nullptr, 6), 1); // a request without text
    EXPECT_EQ(link::MemoryPortTakeWritten(port), empty);
    Program.OpenComPortNum = 0;
    EXPECT_EQ(link::ComWrtAPIFrameText(kUnit, "ZS", 2), 0);
    EXPECT_TRUE(link::MemoryPortTakeWritten(port).empty());
}

} // namespace
} // namespace undarix::testing
