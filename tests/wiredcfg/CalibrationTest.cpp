// Staff length with default gain and offset, and the two-point calibration of wired units.

#include "WiredUnitFixture.h"

#include "core/PanelRoles.h"
#include "core/UnitKind.h"
#include "ui/Controls.h"
#include "wiredcfg/Calibration.h"
#include "wiredcfg/WiredConfigState.h"
#include "wiredcfg/WiredSettings.h"

namespace undarix::testing {
namespace {

using core::Program;
using namespace core::configpage;

class CalibrationTest : public WiredUnitTest {
protected:
    void ReadBlock(int unitType, const core::WiredConfigRecord& record) {
        UseKind(unitType);
        ShowConfiguration(BlockOf(record, unitType));
    }
    void SetDefaults(double meters, bool confirm = true) {
        ui::SetReal(StaffLengthField, meters);
        wiredcfg::WiredStaffLengthEdited();
        popups->ExpectConfirm("WARNING?", confirm);
        ui::Dispatch(SetDefaultValuesButton, ui::Event::Commit);
    }
    void Calibrate(double p1, double p2, double r1, double r2) {
        for (auto [role, value] :
             {std::pair{LowCalPointField, p1}, std::pair{HighCalPointField, p2},
              std::pair{LowReadingField, r1}, std::pair{HighReadingField, r2}}) {
            ui::SetReal(role, value);
            wiredcfg::WiredCalValueEdited(role);
        }
        ui::Dispatch(WiredCalibrateButton, ui::Event::Commit);
    }
    void ExpectMarksCleared() {
        EXPECT_EQ(ui::GetButtonMark(WiredCalibrateButton), 0u);
        EXPECT_EQ(ui::GetButtonMark(SetDefaultValuesButton), 0u);
        for (ui::Role role : {StaffLengthField, LowCalPointField, HighReadingField})
            EXPECT_EQ(ui::GetTextColor(role), ui::kBlack) << role;
    }
};

TEST_F(CalibrationTest, SetDefaultValuesSendsTheLengthsPrescaleWithDefaultGainAndOffset) {
    struct Case {
        int unitType;
        double meters;
        std::string prescale; // count and range pairs
        std::string offset;
        int staffType;
    };
    const Case cases[] = {
        {3, 3.0, "94,00,", "FE,0C,", 1},  // count 148, range 0; -500
        {3, 12.5, "36,08,", "FE,0C,", 2}, // a (W) row: it reads back now
        {5, 0.25, "DF,03,", "FE,0C,", 1}, {4, 15.0, "1B,08,", "FC,CC,", 2}, // -820
        {6, 2.5, "9F,08,", "FC,CC,", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.unitType) + " " + std::to_string(c.meters));
        core::WiredConfigRecord old = UnitRecord(8, 68); // 10 m on table A
        old.Gain = 4500.0f;
        old.Offset = -321.0f;
        ReadBlock(c.unitType, old);
        SetDefaults(c.meters);
        const std::string block = SentBlock();
        ASSERT_EQ(block.size(), 132u);
        EXPECT_EQ(block.substr(3, 6), c.prescale);
        EXPECT_EQ(block.substr(9, 6), "10,00,"); // gain 4096
        EXPECT_EQ(block.substr(15, 6), c.offset);
        ExpectMarksCleared();

        // The unit takes it; the read-back shows the new length.
        ShowConfiguration(block);
        EXPECT_EQ(ui::GetReal(StaffLengthField), c.meters);
        EXPECT_EQ(ui::GetInt(StaffTypeRing), c.staffType);
        EXPECT_EQ(Program.WSAll.StaffLength, float(c.meters * 1000.0));
    }
}

TEST_F(CalibrationTest, ALengthTheUnitCannotTakeChangesNothing) {
    struct Case {
        int unitType;
        double meters;
    };
    for (const Case c : {Case{6, 16.0}, Case{4, 20.0}, Case{3, 4.1}, Case{5, 0.0}, Case{3, 25.0}}) {
        SCOPED_TRACE(std::to_string(c.unitType) + " " + std::to_string(c.meters));
        core::WiredConfigRecord old = UnitRecord(8, 50); // 8 m on table B
        old.Gain = 4500.0f;
        ReadBlock(c.unitType, old);
        const core::WiredConfigRecord before = Program.WSAll;
        ui::SetReal(StaffLengthField, c.meters);
        wiredcfg::WiredStaffLengthEdited();
        popups->ExpectMessage("STAFF LENGTH");
        ui::Dispatch(SetDefaultValuesButton, ui::Event::Commit);
        EXPECT_EQ(Written(), "");
        EXPECT_EQ(ui::GetReal(StaffLengthField), before.StaffLength / 1000.0);
        EXPECT_EQ(Program.WSAll.Gain, 4500.0f); // the calibration is kept
        EXPECT_EQ(Program.WSAll.Offset, before.Offset);
        EXPECT_EQ(Program.WSAll.StaffLength, before.StaffLength);
        ExpectMarksCleared();
        // Nor does the next write of another setting carry default values.
        ui::SetInt(WiredSampleRateField, 12);
        ui::Dispatch(WiredSampleRateField, ui::Event::Commit);
        EXPECT_EQ(SentBlock().substr(9, 6), "11,94,"); // 4500
    }
}

TEST_F(CalibrationTest, DecliningKeepsEverythingAndClearsTheMarks) {
    ReadBlock(core::WiredRavoZerar402E, UnitRecord());
    SetDefaults(5.0, false);
    EXPECT_EQ(Written(), "");
    EXPECT_EQ(ui::GetReal(StaffLengthField), 3.0);
    ExpectMarksCleared();

    popups->ExpectConfirm("WARNING?", false);
    Calibrate(0.5, 2.5, 0.6, 2.4);
    EXPECT_EQ(Written(), "");
    EXPECT_EQ(wiredcfg::WiredCfg.NewCalGainZero, 0);
    ExpectMarksCleared();
}

TEST_F(CalibrationTest, TwoTestPointsAndTheirReadingsGiveTheNewGainAndOffset) {
    core::WiredConfigRecord record = UnitRecord(); // 3 m, gain 4096, offset -500
    record.ModeFlags = 0x0A;
    ReadBlock(core::DeveZuravi404E, record);
    popups->ExpectConfirm("WARNING?", true);
    Calibrate(0.5, 2.5, 0.6, 2.4);
    const std::string block = SentBlock();
    EXPECT_EQ(block.substr(9, 6), "11,C7,");  // 4551.1 sent as 4551
    EXPECT_EQ(block.substr(15, 6), "FD,40,"); // -704.8 sent as -704
    EXPECT_EQ(PairText(block, 42), "02");     // the set-clock request cleared
    EXPECT_EQ(wiredcfg::WiredCfg.NewCalGainZero, 1);
    ExpectMarksCleared();

    // The unit took both: no error on the read-back.
    ShowConfiguration(block);
    EXPECT_EQ(ui::GetReal(GainField), 4551.0);
    EXPECT_EQ(ui::GetReal(OffsetField), -704.0);
    EXPECT_EQ(wiredcfg::WiredCfg.NewCalGainZero, 0);
}

TEST_F(CalibrationTest, ACalibrationThatCannotBeComputedIsRefused) {
    struct Case {
        double p1, p2, r1, r2;
        std::uint8_t range, count; // the staff the unit reports
        const char* why;
    };
    const Case cases[] = {
        {1.0, 1.0, 0.6, 2.4, 0, 148, "Test Points are equal"},
        {0.5, 2.5, 1.2, 1.2, 0, 148, "Readings are equal"},
        {0.5, 2.5, 0.6, 2.4, 8, 200, "staff length is not known"},
        {0.5, 2.5, 0.6, 0.61, 0, 148, "cannot hold"}, // gain 819200
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ReadBlock(core::WiredRavoZerar402E, UnitRecord(c.range, c.count));
        const std::size_t shown = popups->Shown().size();
        popups->ExpectMessage("CALIBRATION");
        Calibrate(c.p1, c.p2, c.r1, c.r2);
        ASSERT_EQ(popups->Shown().size(), shown + 1);
        EXPECT_TRUE(popups->Shown().back().text.contains(c.why))
            << popups->Shown().back().text.toStdString();
        EXPECT_EQ(Written(), "");
        EXPECT_EQ(Program.WSAll.Gain, 4096.0f);
        EXPECT_EQ(Program.WSAll.Offset, -500.0f);
        EXPECT_EQ(wiredcfg::WiredCfg.NewCalGainZero, 0);
        ExpectMarksCleared();
    }
}

TEST_F(CalibrationTest, PrescaleAndStaffLengthFollowTheKindsTable) {
    UseKind(core::WiredRavoZerar408);
    Program.WSAll.StaffLength = 7000.0f;
    wiredcfg::SetCounterPrescale();
    EXPECT_EQ(Program.WSAll.PrescaleRange, 8);
    EXPECT_EQ(Program.WSAll.Prescale, 57);
    Program.WSAll.StaffLength = 7100.0f; // no row: the bytes stay
    wiredcfg::SetCounterPrescale();
    EXPECT_EQ(Program.WSAll.Prescale, 57);
    Program.WSAll.PrescaleRange = 2;
    Program.WSAll.Prescale = 0;
    wiredcfg::SetWSWLStaffLength();
    EXPECT_EQ(Program.WSAll.StaffLength, 250.0f);
    UseKind(core::Vazavevezeze);
    wiredcfg::SetWSWLStaffLength();
    EXPECT_EQ(Program.WSAll.StaffLength, 0.0f);
}

TEST_F(CalibrationTest, TheButtonsHelpIsTheWiredCalibrationHelp) {
    const auto help = ui::HelpOf(WiredCalibrateButton);
    ASSERT_TRUE(help.has_value());
    EXPECT_EQ(help->title, "CALIBRATION");
    EXPECT_TRUE(help->text.startsWith(
        "The Ravo Zerars and Deve Zuravis are calibrated at the factory with their attached "
        "Staffs\nand in most cases they do not need to be re-calibrated."));
    EXPECT_EQ(ui::HelpOf(SetDefaultValuesButton)->title, "CALIBRATION");
}

} // namespace
} // namespace undarix::testing
