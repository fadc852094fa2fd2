// The configuration page of wired units and the board: its cycle, and what it shows of a block.

#include "WiredUnitFixture.h"

#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/UnitKind.h"
#include "link/WiredReceive.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"
#include "wiredcfg/ConfigDisplay.h"
#include "wiredcfg/WiredConfigState.h"

namespace undarix::testing {
namespace {

using core::Program;
using namespace core::configpage;

class ConfigDisplayTest : public WiredUnitTest {};

TEST_F(ConfigDisplayTest, StaffTypeFollowsKindAndLength) {
    struct Case {
        int unitType;
        std::uint8_t range, count;
        double meters;
        int staffType;
    };
    const Case cases[] = {
        {3, 8, 178, 5.0, 1}, {3, 8, 124, 5.5, 2}, {4, 8, 80, 5.0, 2},
        {4, 0, 199, 1.0, 2}, {5, 0, 148, 3.0, 1}, {6, 8, 100, 4.0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unitType * 1000 + c.count);
        UseKind(c.unitType);
        ShowConfiguration(BlockOf(UnitRecord(c.range, c.count), c.unitType));
        ASSERT_EQ(Program.ConfigStatus, 2);
        EXPECT_EQ(ui::GetReal(StaffLengthField), c.meters);
        EXPECT_EQ(ui::GetInt(StaffTypeRing), c.staffType);
        EXPECT_FALSE(ui::IsDimmed(StaffTypeRing));
    }
}

TEST_F(ConfigDisplayTest, ARavoZerarPageShowsTheBlockAndTheConfigureMode) {
    UseKind(core::WiredRavoZerar402E);
    core::WiredConfigRecord record = UnitRecord(8, 223); // 4 m
    record.AlarmFlags = 0x03;
    record.Alarm1OnCounts = 2048;
    record.Alarm1On = core::codec::AlarmCounts2Level(2048, 4000.0f);
    record.StaffLength = 4000.0f;
    record.ModeFlags = 0xD2; // sync, TTL, air temperature, serial output
    core::hooks.DimAllConfig = [] {
        for (ui::Role role : kAllRoles)
            ui::SetDimmed(role, true);
    };
    ShowConfiguration(BlockOf(record, 3));

    EXPECT_EQ(ui::GetText(ModelText), "TALQ-310-402E-");
    EXPECT_EQ(ui::GetText(FirmwareVersionText), "23.00");
    EXPECT_EQ(ui::GetText(SerialNumberText), kSerial);
    EXPECT_EQ(ui::GetReal(GainField), 4096.0);
    EXPECT_EQ(ui::GetReal(OffsetField), -500.0);
    EXPECT_EQ(ui::GetInt(WiredSampleRateField), 10);
    EXPECT_EQ(ui::GetInt(SerialOutputSwitch), 1);
    EXPECT_EQ(ui::GetInt(AirTemperatureSwitch), 1);
    EXPECT_EQ(ui::GetInt(WiredDataFormatSwitch), 0);
    EXPECT_EQ(ui::GetInt(PortRunModeRing), 1);
    EXPECT_EQ(ui::GetInt(TtlRunModeSwitch), 1);
    EXPECT_EQ(ui::GetInt(AnalogOutputSwitch), 0);
    EXPECT_EQ(ui::GetInt(Alarm1EnableSwitch), 1);
    EXPECT_EQ(ui::GetInt(Alarm2EnableSwitch), 0);
    EXPECT_NEAR(ui::GetReal(Alarm1OnLevel), 2.0005, 1e-4);
    for (ui::Role role : {ModelText, GainField, Alarm2OffLevel, WiredCalibrateButton,
                          SetDefaultValuesButton, LowReadingField, NewDeviceNumberField})
        EXPECT_FALSE(ui::IsDimmed(role)) << role;
    // Deve Zuravi controls stay as the page's reset left them.
    EXPECT_TRUE(ui::IsDimmed(BurstLengthField));
    EXPECT_TRUE(ui::IsDimmed(ClockYearField));

    EXPECT_EQ(ui::GetText(core::mainpanel::ConnectionText), "Configure Mode");
    EXPECT_EQ(ui::GetTextColor(core::mainpanel::ConnectionText), 0x3366FFu);
    EXPECT_EQ(ui::GetText(ConnectionText), "Connected");
    EXPECT_EQ(ui::GetTextColor(ConnectionText), ui::kGreen);
    EXPECT_TRUE(ui::IsVisible(ConnectedIndicator));
}

TEST_F(ConfigDisplayTest, ADamagedRavoZerarBlockIsNotShownButReadAgain) {
    UseKind(core::WiredRavoZerar402E);
    std::string damaged = BlockOf(UnitRecord(), 3);
    damaged[22] = 'B'; // sample rate 0x0B, checksum unchanged
    Program.WSWLConnectStatus = 0;
    Program.WSWLConfigMode = 1;
    Tick();
    Receive("STOK,");
    Tick();
    Receive(std::string("IOK,") + kSerial + ",");
    Tick();
    Receive("ROK," + damaged);
    ConfigTick();
    ConfigTick();
    EXPECT_EQ(Program.ConfigStatus, 1); // nothing to show yet
    EXPECT_EQ(ui::GetText(ConnectionText), "Not Connected");
    Written();
    Tick();
    EXPECT_EQ(Written(), "r"); // read again
    Receive("ROK," + BlockOf(UnitRecord(), 3));
    ConfigTick();
    EXPECT_EQ(Program.ConfigStatus, 2);
    EXPECT_EQ(ui::GetInt(WiredSampleRateField), 10);
}

TEST_F(ConfigDisplayTest, ADamagedDeveZuraviBlockIsShown) {
    UseKind(core::DeveZuravi404E);
    std::string damaged = BlockOf(UnitRecord(), 5);
    damaged[22] = 'B';
    ShowConfiguration(damaged);
    EXPECT_EQ(Program.ConfigStatus, 2);
    EXPECT_EQ(ui::GetInt(WiredSampleRateField), 11);
    EXPECT_EQ(ui::GetText(ModelText), "TALQ-310-404E-");
}

TEST_F(ConfigDisplayTest, ADeveZuraviPageShowsItsClockBurstAndStartTime) {
    UseKind(core::DeveZuravi410);
    core::WiredConfigRecord record = UnitRecord(8, 40); // 10 m
    record.BurstLength = 5;
    record.BurstInterval = 60;
    record.FileInterval = 7;
    record.ClockYear = 2026;
    record.ClockMonth = 12;
    record.ClockDay = 6;
    record.ClockHour = 12;
    record.ClockMinute = 15;
    record.ClockSecond = 30;
    record.StartYear = 2027;
    record.StartMonth = 1;
    record.StartDay = 2;
    record.StartHour = 3;
    record.StartMinute = 4;
    record.ModeFlags = 0x22;
    ui::SetText(ClockDifferenceText, "  -7");
    ShowConfiguration(BlockOf(record, 6));
    EXPECT_EQ(ui::GetText(ModelText), "TALQ-310-410-");
    EXPECT_EQ(ui::GetInt(BurstLengthField), 5);
    EXPECT_EQ(ui::GetInt(BurstIntervalField), 60);
    EXPECT_EQ(ui::GetInt(FileIntervalField), 7);
    EXPECT_EQ(ui::GetInt(ClockYearField), 2026);
    EXPECT_EQ(ui::GetInt(ClockSecondField), 30);
    EXPECT_EQ(ui::GetInt(StartYearField), 2027);
    EXPECT_EQ(ui::GetInt(StartMinuteField), 4);
    EXPECT_EQ(ui::GetInt(StartTimeSwitch), 1);
    EXPECT_EQ(ui::GetText(ClockDifferenceText), ""); // no comparison asked: back to default
    EXPECT_FALSE(ui::IsDimmed(CompareClockButton));
    EXPECT_EQ(ui::GetReal(StaffLengthField), 10.0);
}

TEST_F(ConfigDisplayTest, ACalibrationTheUnitDidNotTakeIsReported) {
    UseKind(core::WiredRavoZerar402E);
    // Sent 4551 and -704; the unit kept its gain but took the offset.
    Program.WSAll.Gain = 4551.1f;
    Program.WSAll.Offset = -704.8f;
    wiredcfg::WiredCfg.NewCalGainZero = 1;
    core::WiredConfigRecord unit = UnitRecord();
    unit.Offset = -704.0f;
    popups->ExpectMessage("CALIBRATION ERROR");
    ShowConfiguration(BlockOf(unit, 3));
    EXPECT_EQ(popups->Shown().size(), 1u);
    EXPECT_EQ(Program.WSAll.Gain, 4096.0f);
    EXPECT_EQ(wiredcfg::WiredCfg.NewCalGainZero, 0);

    // Only the first read after the write compares.
    Program.WSAll.Gain = 1.0f;
    ShowConfiguration(BlockOf(unit, 3));
    EXPECT_EQ(popups->Shown().size(), 1u);

    // Both refused: two pop-ups.
    Program.WSAll.Gain = 4551.1f;
    Program.WSAll.Offset = -704.8f;
    wiredcfg::WiredCfg.NewCalGainZero = 1;
    popups->ExpectMessage("CALIBRATION ERROR");
    popups->ExpectMessage("CALIBRATION ERROR");
    ShowConfiguration(BlockOf(UnitRecord(), 3));
}

TEST_F(ConfigDisplayTest, WithoutABlockThePageAsksForANewConnection) {
    UseKind(core::WiredRavoZerar402E);
    Program.WSWLConfigMode = 1;
    Program.WSWLConnectStatus = 5;
    ConfigTick(); // cleared
    for (int i = 0; i < 49; ++i)
        ConfigTick();
    EXPECT_EQ(Program.ConfigStatus, 1);
    EXPECT_EQ(Program.WSWLReConnectFlag, 0);
    ConfigTick();
    EXPECT_EQ(Program.ConfigStatus, 0);
    EXPECT_EQ(Program.WSWLReConnectFlag, 1);

    // Outside the configure mode the cycle does nothing.
    Program.WSWLConfigMode = 0;
    Program.ClearConfig = 1;
    ConfigTick();
    EXPECT_EQ(Program.ClearConfig, 1);
}

TEST_F(ConfigDisplayTest, RunClearsThePageAtOnce) {
    UseKind(core::DeveZuravi404E);
    int dims = 0, defaults = 0;
    core::hooks.DimAllConfig = [&] { ++dims; };
    core::hooks.DefaultAllConfig = [&] { ++defaults; };
    ui::SetInt(ConfigureRunSwitch, 1);
    ui::Dispatch(ConfigureRunSwitch, ui::Event::Commit);
    EXPECT_EQ(Program.WSWLConfigMode, 1);
    EXPECT_EQ(dims, 0);
    ShowConfiguration(BlockOf(UnitRecord(), 5));
    ASSERT_EQ(Program.ConfigStatus, 2);
    ui::SetInt(ConfigureRunSwitch, 0);
    ui::Dispatch(ConfigureRunSwitch, ui::Event::Commit);
    EXPECT_EQ(Program.WSWLConfigMode, 0);
    EXPECT_EQ(Program.ConfigStatus, 0);
    EXPECT_EQ(Program.LastConfigStatus, 255);
    EXPECT_EQ(dims, 2);
    EXPECT_EQ(defaults, 2);
    EXPECT_EQ(ui::GetText(ConnectionText), "Not Connected");
    EXPECT_FALSE(ui::IsVisible(ConnectedIndicator));
}

TEST_F(ConfigDisplayTest, TheBoardsPageShowsItsReportAndClock) {
    UseKind(core::Vazavevezeze);
    core::hooks.DimAllConfig = [] {
        for (ui::Role role : kAllRoles)
            ui::SetDimmed(role, true);
    };
    Program.WSWLConfigMode = 1;
    ui::SetText(core::mainpanel::ConnectionText, "Not Connected");
    ConfigTick(); // page cleared, the board's hand-shake restarted
    EXPECT_EQ(Program.WSWLConnectStatus, 0);
    Tick();
    Receive("Serial Number: VZ-312-412-0000123\r\nCode Rev: 2.14a\r\n"
            "Fsample Frequency: 16\r\nSample Mode: command\r\nTime Tag: min\r\n"
            "System status: ready\r\n");
    Tick();
    Receive("12/06/26 10:11:12\r\n");
    ConfigTick();
    EXPECT_EQ(Program.ConfigStatus, 2);
    EXPECT_EQ(ui::GetText(SerialNumberText), "VZ-312-412-0000123");
    EXPECT_EQ(ui::GetText(FirmwareVersionText), "2.14a");
    EXPECT_EQ(ui::GetText(ModelText), "TALQ-312-412");
    EXPECT_EQ(ui::GetInt(WiredSampleRateField), 16);
    EXPECT_EQ(ui::GetInt(PortRunModeRing), 1);
    EXPECT_EQ(ui::GetInt(TimeTagRing), 1);
    EXPECT_EQ(ui::GetInt(ClockHourField), 10);
    EXPECT_EQ(ui::GetInt(ClockYearField), 2026);
    EXPECT_EQ(ui::GetText(ConnectionText), "Connected");
    // The main panel keeps its own text; no calibration control is enabled.
    EXPECT_EQ(ui::GetText(core::mainpanel::ConnectionText), "Not Connected");
    EXPECT_TRUE(ui::IsDimmed(WiredCalibrateButton));
    EXPECT_TRUE(ui::IsDimmed(StaffLengthField));
    EXPECT_FALSE(ui::IsDimmed(SyncClockButton));
}

TEST_F(ConfigDisplayTest, TheClockDifferenceIsUnitMinusPcPlusOneSecond) {
    // The unit's clock read 3 s behind the PC's.
    SetNow(QDateTime(QDate(2026, 12, 6), QTime(12, 15, 33, 200)), 10);
    Program.WSAll.ClockYear = 2026;
    Program.WSAll.ClockMonth = 12;
    Program.WSAll.ClockDay = 6;
    Program.WSAll.ClockHour = 12;
    Program.WSAll.ClockMinute = 15;
    Program.WSAll.ClockSecond = 30;
    Program.WLDeltaRTC = 1;
    wiredcfg::ShowClockDifference();
    EXPECT_EQ(ui::GetText(ClockDifferenceText), "  -3"); // 12:15:30 - 12:15:34 + 1
    EXPECT_EQ(Program.WLDeltaRTC, 0);
}

} // namespace
} // namespace undarix::testing
