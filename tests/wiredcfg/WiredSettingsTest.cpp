// The wired side of the settings and clock buttons the radio units share.

#include "WiredUnitFixture.h"

#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/UnitKind.h"
#include "ui/Controls.h"
#include "wiredcfg/WiredClock.h"
#include "wiredcfg/WiredSettings.h"

#include <vector>

namespace undarix::testing {
namespace {

using core::Program;
using namespace core::configpage;

class WiredSettingsTest : public WiredUnitTest {
protected:
    void ReadDeveZuravi(std::uint8_t modeFlags = 0x0A) {
        UseKind(core::DeveZuravi410);
        core::WiredConfigRecord record = UnitRecord(8, 50);
        record.ModeFlags = modeFlags;
        ShowConfiguration(BlockOf(record, core::DeveZuravi410));
        delays.clear();
    }
    void SetClockFields(int year, int month, int day, int hour, int minute, int second) {
        ui::SetInt(ClockYearField, year);
        ui::SetInt(ClockMonthField, month);
        ui::SetInt(ClockDayField, day);
        ui::SetInt(ClockHourField, hour);
        ui::SetInt(ClockMinuteField, minute);
        ui::SetInt(ClockSecondField, second);
    }
};

TEST_F(WiredSettingsTest, BurstAndStartTimeGoOutWithoutTheSetClockRequest) {
    ReadDeveZuravi();
    ui::SetInt(BurstLengthField, 10);
    wiredcfg::WiredBurstLength();
    std::string block = SentBlock();
    EXPECT_EQ(PairText(block, 8), "0A");
    EXPECT_EQ(PairText(block, 42), "02");
    EXPECT_TRUE(ui::IsDimmed(BurstLengthField));

    ui::SetInt(BurstIntervalField, 60);
    wiredcfg::WiredBurstInterval();
    EXPECT_EQ(PairText(SentBlock(), 9), "3C");

    ui::SetInt(StartTimeSwitch, 1);
    wiredcfg::WiredEnableStartTime();
    EXPECT_EQ(PairText(SentBlock(), 42), "22");

    ui::SetInt(StartYearField, 2027);
    ui::SetInt(StartMonthField, 6);
    ui::SetInt(StartDayField, 1);
    ui::SetInt(StartHourField, 10);
    ui::SetInt(StartMinuteField, 5);
    ui::SetTextColor(StartDayField, ui::kRed);
    ui::SetButtonMark(WriteStartTimeButton, ui::kRed);
    wiredcfg::WiredWriteStartTime();
    block = SentBlock();
    EXPECT_EQ(block.substr(54, 15), "05,10,01,06,27,"); // minute, hour, day, month, year
    EXPECT_EQ(ui::GetTextColor(StartDayField), ui::kBlack);
    EXPECT_EQ(ui::GetButtonMark(WriteStartTimeButton), 0u);
    EXPECT_TRUE(ui::IsDimmed(StartYearField));
    EXPECT_TRUE(ui::IsDimmed(WriteStartTimeButton));
}

TEST_F(WiredSettingsTest, DisplayOnlyFieldsGoBackToTheUnitsValues) {
    ReadDeveZuravi();
    ui::SetReal(GainField, 1.0);
    ui::SetReal(OffsetField, 2.0);
    wiredcfg::WiredGainOffsetDisplayOnly();
    EXPECT_EQ(ui::GetReal(GainField), 4096.0);
    EXPECT_EQ(ui::GetReal(OffsetField), -500.0);

    ui::SetInt(NewDeviceNumberField, 42);
    wiredcfg::WiredNewDeviceNum();
    EXPECT_EQ(ui::GetInt(NewDeviceNumberField), 1);

    struct Case {
        int unitType;
        float lengthMm;
        int staffType;
    };
    for (const Case c : {Case{3, 5000.0f, 1}, Case{3, 5500.0f, 2}, Case{5, 3000.0f, 1},
                         Case{4, 1000.0f, 2}, Case{7, 1000.0f, 2}}) {
        Program.UnitType = c.unitType;
        Program.WSAll.StaffLength = c.lengthMm;
        ui::SetInt(StaffTypeRing, 3);
        wiredcfg::WiredStaffType();
        EXPECT_EQ(ui::GetInt(StaffTypeRing), c.staffType) << c.unitType;
    }
    EXPECT_EQ(Written(), "");
}

TEST_F(WiredSettingsTest, SetAndSyncCarryTheClockWithTheSetClockRequest) {
    ReadDeveZuravi(0x02);
    SetClockFields(2014, 3, 4, 5, 6, 7);
    ui::SetTextColor(ClockDayField, ui::kRed);
    ui::SetButtonMark(SetClockButton, ui::kRed);
    wiredcfg::WiredSetClock();
    std::string block = SentBlock();
    EXPECT_EQ(block.substr(33, 21), "07,06,05,00,04,03,14,");
    EXPECT_EQ(PairText(block, 42), "0A");
    EXPECT_EQ(delays.front(), 0.2);
    EXPECT_EQ(ui::GetTextColor(ClockDayField), ui::kBlack);
    EXPECT_EQ(ui::GetButtonMark(SetClockButton), 0u);

    SetNow(QDateTime(QDate(2026, 12, 7), QTime(9, 10, 11, 600)), 5);
    Program.WSAll.ModeFlags = 0x02;
    wiredcfg::WiredSyncToPC();
    block = SentBlock();
    EXPECT_EQ(block.substr(33, 21), "12,10,09,00,07,12,26,");
    EXPECT_EQ(PairText(block, 42), "0A");
}

TEST_F(WiredSettingsTest, CompareReadsTheUnitAgainAndShowsTheDifference) {
    ReadDeveZuravi();
    wiredcfg::WiredCompClock();
    EXPECT_EQ(Program.WLDeltaRTC, 1);
    EXPECT_TRUE(ui::IsDimmed(ClockDifferenceText));
    const std::string block = SentBlock();
    EXPECT_EQ(PairText(block, 42), "02"); // the clock is not set

    // The unit's clock is 3 s behind the PC's at the read-back.
    core::WiredConfigRecord unit = UnitRecord(8, 50);
    unit.ClockYear = 2026;
    unit.ClockMonth = 12;
    unit.ClockDay = 7;
    unit.ClockHour = 12;
    unit.ClockMinute = 0;
    unit.ClockSecond = 0;
    SetNow(QDateTime(QDate(2026, 12, 7), QTime(12, 0, 3, 100)), 10);
    ShowConfiguration(BlockOf(unit, core::DeveZuravi410));
    EXPECT_EQ(ui::GetText(ClockDifferenceText), "  -3");
    EXPECT_FALSE(ui::IsDimmed(ClockDifferenceText));
    EXPECT_EQ(Program.WLDeltaRTC, 0);
}

TEST_F(WiredSettingsTest, ReadClockReadsTheBlockAgain) {
    ReadDeveZuravi();
    int dims = 0;
    core::hooks.DimAllConfig = [&] { ++dims; };
    wiredcfg::WiredReadClock();
    EXPECT_EQ(Written(), "r");
    EXPECT_EQ(dims, 1);
    EXPECT_EQ(Program.ConfigStatus, 0);
    EXPECT_EQ(Program.LastConfigStatus, 255);
    EXPECT_EQ(Program.WSWLConnectStatus, 5);
    Receive("ROK," + BlockOf(UnitRecord(8, 50), core::DeveZuravi410));
    EXPECT_EQ(Program.WSWLConnectStatus, 6);
    ConfigTick();
    ConfigTick();
    EXPECT_EQ(Program.ConfigStatus, 2);
}

TEST_F(WiredSettingsTest, TheBoardsClockIsSetWithALineOfItsOwn) {
    UseKind(core::Vazavevezeze);
    Program.ConfigStatus = 2;
    SetClockFields(2026, 12, 6, 10, 11, 12);
    wiredcfg::WiredSetClock();
    EXPECT_EQ(Written(), "s12-06-26 10:11:12\n\r");
    EXPECT_EQ(delays, (std::vector<double>{0.2, 0.4, 0.2, 0.4}));
    EXPECT_EQ(Program.ConfigStatus, 0);

    delays.clear();
    SetNow(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 600)), 10);
    wiredcfg::WiredSyncToPC();
    EXPECT_EQ(Written(), "s01-01-27 00:00:00\n\r");
    EXPECT_EQ(delays, (std::vector<double>{0.2, 0.4, 0.2, 0.4}));

    delays.clear();
    Program.ConfigStatus = 2;
    wiredcfg::WiredCompClock();
    EXPECT_EQ(Written(), "");
    EXPECT_EQ(Program.WLDeltaRTC, 1);
    EXPECT_EQ(delays, (std::vector<double>{0.4}));
    EXPECT_EQ(Program.ConfigStatus, 0);
}

} // namespace
} // namespace undarix::testing
