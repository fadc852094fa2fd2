// Calibration of radio units from the page: points set and cleared in the set of the current
// mode, the set read again after a change of current mode, factory restore and clear-all
// behind their questions, the two-point buttons, and the help by calibration style.

#include "SettingsFixture.h"

#include "radiocfg/CalibrationCallbacks.h"
#include "wiredcfg/Calibration.h"

namespace undarix::testing {
namespace {

using namespace core::configpage;
using core::Program;

// The controls a change of the calibration set dims until the set is read again.
const ui::Role kSetControls[] = {StaffTypeRing,  StaffLengthField,    CalibrateMetersField,
                                 CalSetButton,   CalClearPointButton, CalClearAllButton,
                                 CalPointsTable, LowCalPointField,    HighCalPointField,
                                 GainField,      OffsetField};

class CalibrationCallbacksTest : public SettingsTest {
protected:
    void UndimAll() {
        for (ui::Role role : kSetControls)
            ui::SetDimmed(role, false);
        for (ui::Role role : {CurrentModeSwitch, FactoryCalibrateButton, AutoCalHighButton})
            ui::SetDimmed(role, false);
    }
    // The read commands the session sends next, answering none.
    std::string NextRead() {
        Tick();
        const Texts sent = Sent();
        return sent.empty() ? std::string() : sent.back();
    }
};

TEST_F(CalibrationCallbacksTest, APointIsSetInTheSetOfTheCurrentModeAndTheTableReadAgain) {
    struct Case {
        int currentMode;
        ui::Role button;
        const char* command;
        const char* echo;
        const char* reRead;
    };
    const Case cases[] = {
        {1, CalSetButton, "FP,0.5000\r\n", "$FP,0.5000", "GT\r\n"},
        {2, CalSetButton, "SP,0.5000\r\n", "$SP,0.5000", "TT\r\n"},
        {1, CalClearPointButton, "FN,0.5000\r\n", "$FN,0.5000", "GT\r\n"},
        {2, CalClearPointButton, "SN,0.5000\r\n", "$SN,0.5000", "TT\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        Configure(0, c.currentMode);
        UndimAll();
        ui::SetReal(CalibrateMetersField, 0.5);
        Commit(c.button);
        EXPECT_EQ(Sent(), Texts{c.command});
        EXPECT_EQ(delays, std::vector<double>{0.1});
        for (ui::Role role : {CalibrateMetersField, CalSetButton, CalClearPointButton,
                              CalClearAllButton, CalPointsTable})
            EXPECT_TRUE(ui::IsDimmed(role)) << role;
        EXPECT_FALSE(ui::IsDimmed(StaffLengthField));

        Echo("$FP,0.2500"); // another height: still waiting, resent in time
        EXPECT_EQ(Program.TxWait, 1);
        EXPECT_EQ(Program.ConfigStatus, 3);
        Echo(c.echo);
        EXPECT_EQ(Program.ConfigStatus, 2);
        EXPECT_EQ(NextRead(), c.reRead);
    }
}

TEST_F(CalibrationCallbacksTest, ACurrentModeChangeReadsTheOtherSet) {
    struct Case {
        int from, to;
        const char* reRead;
    };
    for (const Case c : {Case{1, 2, "TT\r\n"}, Case{2, 1, "GT\r\n"}}) {
        SCOPED_TRACE(c.to);
        Configure(0, c.from);
        UndimAll();
        ui::SetInt(CurrentModeSwitch, c.to);
        Commit(CurrentModeSwitch);
        EXPECT_EQ(Sent(), Texts{"WW," + std::to_string(c.to) + "\r\n"});
        EXPECT_TRUE(ui::IsDimmed(CurrentModeSwitch));
        for (ui::Role role : kSetControls)
            EXPECT_TRUE(ui::IsDimmed(role)) << role;
        EXPECT_EQ(Program.ConfigStatus, 2);
        EXPECT_EQ(NextRead(), ""); // the acknowledge comes first
        Echo("$WW," + std::to_string(c.to));
        EXPECT_EQ(Program.ConfigCurrentMode, c.to);
        EXPECT_FALSE(ui::IsDimmed(CurrentModeSwitch));
        EXPECT_EQ(NextRead(), c.reRead);
    }
    // The sonic kinds have no current mode to change.
    Configure(1, 1);
    ui::SetInt(CurrentModeSwitch, 2);
    Commit(CurrentModeSwitch);
    EXPECT_EQ(Sent(), Texts{});
}

TEST_F(CalibrationCallbacksTest, DeclinedQuestionsSendAndChangeNothing) {
    struct Case {
        ui::Role button;
        const char* question;
        const char* command; // when the answer is yes
    };
    const Case cases[] = {
        {FactoryCalibrateButton, "FACTORY VALUES?", "SF,1\r\n"},
        {CalClearAllButton, "CLEAR ALL CALIBRAITIONS POINTS?", "SC,1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.question);
        Configure(0, 2);
        UndimAll();
        popups->ExpectConfirm(c.question, false);
        Commit(c.button);
        EXPECT_EQ(Sent(), Texts{});
        EXPECT_TRUE(delays.empty());
        EXPECT_EQ(Program.TxWait, 0);
        EXPECT_EQ(Program.ConfigStatus, 3);
        EXPECT_FALSE(ui::IsDimmed(c.button));
        for (ui::Role role : kSetControls)
            EXPECT_FALSE(ui::IsDimmed(role)) << role;

        popups->ExpectConfirm(c.question, true);
        Commit(c.button);
        EXPECT_EQ(Sent(), Texts{c.command});
        EXPECT_TRUE(ui::IsDimmed(c.button));
        EXPECT_TRUE(ui::IsDimmed(CalPointsTable));
    }
    // The factory restore reads the set again at once; clear-all once its "1" comes back.
    EXPECT_EQ(Program.ConfigStatus, 3);
    Echo("$SC,1");
    EXPECT_EQ(Program.ConfigStatus, 2);
    EXPECT_EQ(NextRead(), "TT\r\n");
}

TEST_F(CalibrationCallbacksTest, TwoPointCalibrationAndItsValuesByHand) {
    Configure(0, 1);
    UndimAll();
    ui::SetReal(LowCalPointField, 0.5);
    Commit(LowCalPointField); // an edit: marked, not sent
    EXPECT_EQ(ui::GetTextColor(LowCalPointField), ui::kRed);
    EXPECT_EQ(Sent(), Texts{});
    Commit(AutoCalLowButton);
    EXPECT_EQ(Sent(), Texts{"FX,0.500\r\n"});
    EXPECT_EQ(ui::GetTextColor(LowCalPointField), ui::kBlack);
    EXPECT_TRUE(ui::IsDimmed(AutoCalLowButton));
    EXPECT_EQ(Program.ConfigStatus, 3);
    Echo("$FX,1");
    EXPECT_FALSE(ui::IsDimmed(AutoCalLowButton));

    ui::SetReal(HighCalPointField, 2.5);
    Commit(AutoCalHighButton);
    EXPECT_EQ(Sent(), Texts{"FY,2.500\r\n"});
    for (ui::Role role : {StaffTypeRing, StaffLengthField, LowCalPointField, HighCalPointField,
                          GainField, OffsetField})
        EXPECT_TRUE(ui::IsDimmed(role)) << role;
    EXPECT_EQ(Program.ConfigStatus, 2); // gain and offset are read back
    Echo("$FY,1");
    EXPECT_EQ(NextRead(), "GT\r\n");

    Configure(0, 2);
    ui::SetReal(GainField, 1.234);
    Commit(GainField);
    ui::SetReal(OffsetField, -0.05);
    Commit(OffsetField);
    Commit(SavePresentCalButton);
    EXPECT_EQ(Sent(), (Texts{"SG,1.234\r\n", "SO,-0.050\r\n", "S!,1\r\n"}));
}

TEST_F(CalibrationCallbacksTest, SonicTripPointsAndDeadZone) {
    Configure(1, 1);
    ui::SetInt(HighTripField, 2400);
    Commit(HighTripField);
    ui::SetInt(LowTripField, 600);
    Commit(LowTripField);
    ui::SetInt(DeadZoneField, 150);
    Commit(DeadZoneField);
    EXPECT_EQ(Sent(), (Texts{"WG,2400\r\n", "WU,600\r\n", "WY,150\r\n"}));
    EXPECT_EQ(ui::GetTextColor(DeadZoneField), ui::kGreen);
    EXPECT_TRUE(ui::IsDimmed(DeadZoneField));
    Echo("$WY,180"); // the unit's value is shown
    EXPECT_EQ(ui::GetInt(DeadZoneField), 180);
    EXPECT_FALSE(ui::IsDimmed(DeadZoneField));
}

TEST_F(CalibrationCallbacksTest, TheHelpFollowsTheCalibrationStyle) {
    struct Case {
        int kind;
        const char* firmware;
        const char* title;
    };
    const Case cases[] = {
        {0, "$RK,1.90", "CALIBRATION"},
        {0, "$RK,2.00", "MULTIPLE POINT CALIBRATION"},
        {0, "$RK,3.1", "MULTIPLE POINT CALIBRATION"},
        {1, "$RK,1.00", "MULTIPLE POINT CALIBRATION"},
        {2, "$RK,1.50", "MULTIPLE POINT CALIBRATION"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firmware);
        Configure(c.kind, 1);
        Echo(c.firmware);
        for (ui::Role role : {CalSetButton, CalibrateMetersField, CalPointsTable, AutoCalLowButton,
                              GainField, LowCalPointField})
            EXPECT_EQ(ui::HelpOf(role)->title, c.title) << role;
        EXPECT_EQ(radiocfg::CalibrationHelp().title, c.title);
    }
    // The fields the wired calibration shares give its help on the wired kinds.
    Program.UnitType = 5;
    for (ui::Role role : {GainField, OffsetField, LowCalPointField, HighReadingField})
        EXPECT_EQ(ui::HelpOf(role)->text, wiredcfg::WSWLCalibrationHelp().text) << role;
}

} // namespace
} // namespace undarix::testing
