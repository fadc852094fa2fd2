// Units' frames written at the far end of a pseudo-terminal reach the device table through
// the real serial port, the receive path and the dispatcher.

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/PortSelection.h"
#include "link/SerialPort.h"
#include "link/codec/ApiFrame.h"
#include "live/DeviceTable.h"
#include "support/Fixtures.h"
#include "support/Pty.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

namespace undarix::testing {
namespace {

using namespace core;
using namespace live;

std::string Wire(std::uint64_t address, const std::string& text) {
    std::string data = "\x90";
    for (int i = 7; i >= 0; --i)
        data += char(address >> (8 * i));
    data += std::string("\xFF\xFE\x41", 3) + text;
    std::uint8_t out[link::codec::kMaxEncodedFrame];
    const std::size_t n = link::codec::EncodeApiFrame(
        reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), out);
    return std::string(reinterpret_cast<const char*>(out), n);
}

class ReceiveIntegrationTest : public PanelTest {};

TEST_F(ReceiveIntegrationTest, UnitsThatSendAppearInTheTableSortedByAddress) {
    Pty pty;
    Program.UnitType = 0;
    link::AddExtraPortPath(pty.SlavePath());
    link::GetComPortList();
    const int port = link::PortNumberForPath(pty.SlavePath());
    ui::SetInt(mainpanel::ComPortList, port);
    ui::Dispatch(mainpanel::ComPortList, ui::Event::Commit);
    ASSERT_EQ(Program.OpenComPortNum, port);

    std::string samples;
    for (int k = 0; k < 64; ++k)
        samples += std::string("\xE8\x03", 2); // 1000 mm each
    pty.Write(Wire(0x0013A20040A1B2C3ull, "C007,D1,S08,02500\r\n") +
              Wire(0x0013A20040A1B2C3ull, "C007,D7,L") +
              Wire(0x0013A20040000011ull, "I011,S16,B0,2026-12-07T12:00:05,," + samples));

    const std::string value0 = ui::ArrayItemName(mainpanel::OutputArray, 0);
    const std::string value1 = ui::ArrayItemName(mainpanel::OutputArray, 1);
    ASSERT_TRUE(WaitUntil([&] {
        return ui::GetText(value0) == "1.0000" &&
               ui::GetInt(ui::ArrayItemName(mainpanel::DeviceArray, 1)) == 7;
    })) << ui::GetText(value0).toStdString();
    // The block unit's address is the smaller: row 0.
    EXPECT_EQ(ui::GetU64(ui::ArrayItemName(mainpanel::AddressArray, 0)), 0x0013A20040000011ull);
    EXPECT_EQ(ui::GetInt(ui::ArrayItemName(mainpanel::RateArray, 0)), 16);
    EXPECT_EQ(ui::GetInt(ui::ArrayItemName(mainpanel::OffsetArray, 0)), 4000);
    EXPECT_EQ(ui::GetText(ui::ArrayItemName(mainpanel::DateTimeArray, 0)), "2026-12-07T12:00:05");
    EXPECT_EQ(ui::GetLedColor(ui::ArrayItemName(mainpanel::LEDArray, 0)), 0x00CC00u);
    EXPECT_EQ(ui::GetU64(ui::ArrayItemName(mainpanel::AddressArray, 1)), 0x0013A20040A1B2C3ull);
    EXPECT_EQ(ui::GetText(value1), "2.5000");
    EXPECT_EQ(ui::GetLedColor(ui::ArrayItemName(mainpanel::LEDArray, 1)), 0xFFFF00u);
    EXPECT_FALSE(ui::IsDimmed(value1));
    EXPECT_TRUE(ui::IsDimmed(ui::ArrayItemName(mainpanel::OutputArray, 2)));
}

} // namespace
} // namespace undarix::testing
