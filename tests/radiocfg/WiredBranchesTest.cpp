// The page's setting, clock and calibration callbacks on the wired kinds and the board: they
// hand over to the wired configuration, which rewrites the unit's block; nothing goes out as
// a radio frame.

#include "wiredcfg/WiredUnitFixture.h"

#include "core/PanelRoles.h"
#include "radiocfg/CalibrationCallbacks.h"
#include "radiocfg/ClockCallbacks.h"
#include "radiocfg/SettingsCallbacks.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

namespace undarix::testing {
namespace {

using core::Program;
using namespace core::configpage;

class WiredBranchesTest : public WiredUnitTest {
protected:
    void SetUp() override {
        WiredUnitTest::SetUp();
        radiocfg::BindSettingsCallbacks();
        radiocfg::BindClockCallbacks();
        radiocfg::BindCalibrationCallbacks();
    }
    void ReadDeveZuravi() {
        UseKind(core::DeveZuravi410);
        core::WiredConfigRecord record = UnitRecord(8, 50);
        record.ModeFlags = 0x0A;
        ShowConfiguration(BlockOf(record, core::DeveZuravi410));
        delays.clear();
    }
    static void Commit(ui::Role role) { ui::Dispatch(role, ui::Event::Commit); }
};

TEST_F(WiredBranchesTest, SettingsRewriteTheDeveZuravisBlock) {
    ReadDeveZuravi();
    ui::SetInt(BurstLengthField, 10);
    Commit(BurstLengthField);
    std::string block = SentBlock();
    EXPECT_EQ(PairText(block, 8), "0A");
    EXPECT_EQ(PairText(block, 42), "02"); // the clock is not set with it

    ui::SetInt(BurstIntervalField, 60);
    Commit(BurstIntervalField);
    EXPECT_EQ(PairText(SentBlock(), 9), "3C");

    ui::SetInt(StartTimeSwitch, 1);
    Commit(StartTimeSwitch);
    EXPECT_EQ(PairText(SentBlock(), 42), "22");

    ui::SetInt(StartYearField, 2027);
    ui::SetInt(StartMonthField, 6);
    ui::SetInt(StartDayField, 1);
    ui::SetInt(StartHourField, 10);
    ui::SetInt(StartMinuteField, 5);
    Commit(StartDayField);
    EXPECT_EQ(ui::GetTextColor(StartDayField), ui::kRed);
    EXPECT_EQ(ui::GetButtonMark(WriteStartTimeButton), ui::kRed);
    EXPECT_EQ(Written(), "");
    Commit(WriteStartTimeButton);
    EXPECT_EQ(SentBlock().substr(54, 15), "05,10,01,06,27,");
    EXPECT_EQ(ui::GetTextColor(StartDayField), ui::kBlack);
}

TEST_F(WiredBranchesTest, DisplayOnlyFieldsSendNothing) {
    ReadDeveZuravi();
    ui::SetInt(NewDeviceNumberField, 42);
    Commit(NewDeviceNumberField);
    EXPECT_EQ(ui::GetInt(NewDeviceNumberField), 1);

    ui::SetReal(GainField, 1.0);
    ui::Dispatch(GainField, ui::Event::KeyPress);
    EXPECT_EQ(ui::GetReal(GainField), 4096.0);
    EXPECT_EQ(ui::GetTextColor(GainField), ui::kBlack); // no edit marking on the wired side

    ui::SetInt(StaffTypeRing, 3);
    Commit(StaffTypeRing);
    EXPECT_EQ(ui::GetInt(StaffTypeRing), 2); // a Deve Zuravi 410 has a cable

    ui::SetReal(StaffLengthField, 2.0);
    Commit(StaffLengthField); // waits for Set Default Values
    EXPECT_EQ(ui::GetTextColor(StaffLengthField), ui::kRed);
    EXPECT_EQ(ui::GetButtonMark(SetDefaultValuesButton), ui::kRed);

    for (ui::Role role : {LowCalPointField, HighReadingField}) {
        Commit(role);
        EXPECT_EQ(ui::GetTextColor(role), ui::kRed) << role;
    }
    EXPECT_EQ(ui::GetButtonMark(WiredCalibrateButton), ui::kRed);

    // Controls of radio units only do nothing here.
    for (ui::Role role : {SampleRateField, DataFormatRing, FilterSwitch, PowerSwitch,
                          ReadVoltageButton, SerialNumberEntry, ClockCalibrationField,
                          CurrentModeSwitch, CalSetButton, AutoCalHighButton, HighTripField})
        Commit(role);
    EXPECT_EQ(Written(), "");
}

TEST_F(WiredBranchesTest, ClockButtonsOfADeveZuraviAndTheBoard) {
    ReadDeveZuravi();
    Program.WSAll.ModeFlags = 0x02;
    ui::SetInt(ClockYearField, 2014);
    ui::SetInt(ClockMonthField, 3);
    ui::SetInt(ClockDayField, 4);
    ui::SetInt(ClockHourField, 5);
    ui::SetInt(ClockMinuteField, 6);
    ui::SetInt(ClockSecondField, 7);
    Commit(SetClockButton);
    std::string block = SentBlock();
    EXPECT_EQ(block.substr(33, 21), "07,06,05,00,04,03,14,");
    EXPECT_EQ(PairText(block, 42), "0A"); // with the set-clock request
    EXPECT_EQ(delays.front(), 0.2);

    Commit(CompareClockButton);
    EXPECT_EQ(Program.WLDeltaRTC, 1);
    EXPECT_EQ(PairText(SentBlock(), 42), "02");

    Program.WSAll.ModeFlags = 0x02;
    Commit(SyncClockButton);
    EXPECT_EQ(PairText(SentBlock(), 42), "0A");

    Commit(ReadClockButton);
    EXPECT_EQ(Written(), "r");

    UseKind(core::Vazavevezeze);
    delays.clear();
    SetNow(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 600)), 10);
    Commit(SyncClockButton);
    EXPECT_EQ(Written(), "s01-01-27 00:00:00\n\r");
}

} // namespace
} // namespace undarix::testing
