// The wired configuration on the real panel: every control it addresses exists, and the
// wired-only rings carry their items.

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "core/codec/ConfigBlock.h"
#include "link/PortSelection.h"
#include "link/ReceivePath.h"
#include "link/SerialPort.h"
#include "support/Fixtures.h"
#include "ui/ControlRegistry.h"
#include "ui/Controls.h"
#include "ui/Timers.h"

#include <cstring>

namespace undarix::testing {
namespace {

using core::Program;
using namespace core::configpage;

class WiredPanelTest : public PanelTest {};

TEST_F(WiredPanelTest, AUnitIsReadShownWrittenAndLeftRunning) {
    EXPECT_EQ(ui::GetListCount(ConfigureRunSwitch), 2);
    EXPECT_EQ(ui::GetListCount(PortRunModeRing), 2);
    EXPECT_EQ(ui::GetListCount(TimeTagRing), 4);

    Program.UnitType = core::WiredRavoZerar402E;
    const int port = link::PortNumberForPath("mem:panel-unit");
    ASSERT_EQ(link::OpenComConfig(port, 9600), 0);
    link::InstallComCallback(port, link::kRxCharEvent, link::ComCallback);
    Program.OpenComPortNum = port;

    core::WiredConfigRecord record;
    std::memcpy(record.Version, "23.00", 6);
    record.Prescale = 148;
    record.Gain = 4096.0f;
    record.Offset = -500.0f;
    record.SampleRate = 10;
    record.ModeFlags = 0x02;
    char block[core::codec::kBlockBufferSize];
    core::codec::BuildConfigBlock(record, 3, block);

    ui::SetInt(ConfigureRunSwitch, 1);
    ui::Dispatch(ConfigureRunSwitch, ui::Event::Commit);
    const auto tick = [] { ui::TickTimer(core::timer::WiredConnect); };
    tick();
    link::MemoryPortReceive(port, "STOK,");
    tick();
    link::MemoryPortReceive(port, "IOK,WS2611-0042175,");
    tick();
    link::MemoryPortReceive(port, std::string("ROK,") + block);
    ui::TickTimer(core::timer::WiredConfig);
    ui::TickTimer(core::timer::WiredConfig);
    EXPECT_EQ(Program.ConfigStatus, 2);
    EXPECT_EQ(ui::GetText(SerialNumberText), "WS2611-0042175");
    EXPECT_EQ(ui::GetText(core::mainpanel::StaffLengthDisplay), "3.000");
    EXPECT_EQ(ui::GetInt(WiredSampleRateField), 10);
    EXPECT_EQ(link::MemoryPortTakeWritten(port), "stir");

    ui::SetInt(WiredSampleRateField, 20);
    ui::Dispatch(WiredSampleRateField, ui::Event::Commit);
    EXPECT_EQ(link::MemoryPortTakeWritten(port).substr(0, 24), "w23,94,00,10,00,FE,0C,14");

    ui::SetInt(ConfigureRunSwitch, 0);
    ui::Dispatch(ConfigureRunSwitch, ui::Event::Commit);
    tick();
    EXPECT_EQ(link::MemoryPortTakeWritten(port), "st");
}

} // namespace
} // namespace undarix::testing
