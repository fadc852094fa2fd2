// The unit clock buttons for a radio unit: set from the fields, sync to the PC at the start of
// a second (across midnight and the year), read, compare, and the clock calibration.

#include "SettingsFixture.h"

#include "radiocfg/ConfigSession.h"
#include "ui/Callbacks.h"

#include <QDateTime>

namespace undarix::testing {
namespace {

using namespace core::configpage;
using core::Program;

const ui::Role kClockFields[] = {ClockYearField, ClockMonthField,  ClockDayField,
                                 ClockHourField, ClockMinuteField, ClockSecondField};

class ClockCallbacksTest : public SettingsTest {
protected:
    std::vector<int> Fields() {
        std::vector<int> values;
        for (ui::Role field : kClockFields)
            values.push_back(ui::GetInt(field));
        return values;
    }
};

TEST_F(ClockCallbacksTest, SetSendsTheEditedFieldsWithTheYearInTwoDigits) {
    const int values[] = {2014, 3, 4, 5, 6, 7};
    for (int i = 0; i < 6; ++i) {
        ui::SetInt(kClockFields[i], values[i]);
        ui::Dispatch(kClockFields[i], ui::Event::Commit);
        EXPECT_EQ(ui::GetTextColor(kClockFields[i]), ui::kRed);
    }
    EXPECT_EQ(ui::GetButtonMark(SetClockButton), ui::kRed);
    EXPECT_EQ(Sent(), Texts{});

    Commit(SetClockButton);
    EXPECT_EQ(Sent(), Texts{"WT,14-03-04T05:06:07\r\n"});
    EXPECT_EQ(delays, std::vector<double>{0.2});
    EXPECT_EQ(Program.TxWait, 1);
    EXPECT_EQ(ui::GetButtonMark(SetClockButton), 0u);
    EXPECT_TRUE(ui::IsDimmed(SetClockButton));
    for (ui::Role field : kClockFields) {
        EXPECT_EQ(ui::GetTextColor(field), ui::kBlack);
        EXPECT_TRUE(ui::IsDimmed(field));
    }
    Program.EnaAutoSync = 0;
    Echo("$WT,1");
    EXPECT_FALSE(ui::IsDimmed(ClockDayField));
    EXPECT_FALSE(ui::IsDimmed(SetClockButton));
    EXPECT_EQ(Program.TxWait, 0);
}

TEST_F(ClockCallbacksTest, SyncLeavesAtTheStartOfASecondAndTakesTheNewDateAtMidnight) {
    struct Case {
        QDateTime now;
        const char* command;
        std::vector<int> shown;
    };
    const Case cases[] = {
        {QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 600)),
         "WT,27-01-01T00:00:00\r\n",
         {2027, 1, 1, 0, 0, 0}},
        {QDateTime(QDate(2028, 2, 28), QTime(23, 59, 59, 990)),
         "WT,28-02-29T00:00:00\r\n",
         {2028, 2, 29, 0, 0, 0}},
        {QDateTime(QDate(2026, 6, 1), QTime(10, 20, 30, 0)),
         "WT,26-06-01T10:20:31\r\n",
         {2026, 6, 1, 10, 20, 31}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        SetNow(c.now, 1);
        Commit(SyncClockButton);
        EXPECT_EQ(Sent(), Texts{c.command});
        EXPECT_EQ(Fields(), c.shown);
        EXPECT_TRUE(ui::IsDimmed(ClockSecondField));
        EXPECT_EQ(Program.TxWait, 0); // no reply awaited
        Echo("$WT,1");
        EXPECT_FALSE(ui::IsDimmed(ClockSecondField));
    }
}

// A sync is never resent late; a command still awaiting its reply when the sync goes out keeps
// its resend, and the sync's acknowledge does not end that wait. A write whose acknowledge was
// lost is thus confirmed by its resend instead of staying dimmed for good.
TEST_F(ClockCallbacksTest, ASyncIsNeverResentAndTheAwaitedCommandStillIs) {
    struct Case {
        const char* what;
        ui::Role control; // dimmed until confirmed; empty for a read
        const char* command;
        const char* reply;
    };
    const Case cases[] = {
        {"sample rate write", SampleRateField, "WS,16\r\n", "$WS,16"},
        {"battery read", {}, "RV\r\n", "$RV,3.61"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.control.empty()) {
            ui::SetInt(c.control, 16);
            Commit(c.control);
        } else {
            Commit(ReadVoltageButton);
        }
        EXPECT_EQ(Program.TxWait, 1);
        SetNow(QDateTime(QDate(2026, 12, 7), QTime(12, 0, 0, 900)), 1);
        Commit(SyncClockButton);
        EXPECT_EQ(Sent(), (Texts{c.command, "WT,26-12-07T12:00:01\r\n"}));
        Echo("$WT,1"); // the sync's acknowledge; the earlier one was lost
        EXPECT_EQ(Program.TxWait, 1);
        Tick(radiocfg::kWriteReplyTicks + 1);
        EXPECT_EQ(Sent(), Texts{c.command}); // the earlier command again, never the sync
        Echo(c.reply);
        EXPECT_EQ(Program.TxWait, 0);
        if (!c.control.empty()) {
            EXPECT_FALSE(ui::IsDimmed(c.control));
        }
        Tick(radiocfg::kWriteReplyTicks * 3);
        EXPECT_EQ(Sent(), Texts{});
    }
    // A clock setting still awaited is overtaken by the sync, not resent after it.
    Commit(SetClockButton);
    Sent();
    Commit(SyncClockButton);
    EXPECT_EQ(Sent().size(), 1u);
    Tick(radiocfg::kWriteReplyTicks * 3);
    EXPECT_EQ(Sent(), Texts{});
}

TEST_F(ClockCallbacksTest, ReadCompareAndCalibration) {
    Commit(ReadClockButton);
    EXPECT_EQ(Sent(), Texts{"RT\r\n"});
    EXPECT_EQ(Program.TxWait, 1);
    Echo("$RT,2026-12-07T11:58:07");
    EXPECT_EQ(Fields(), (std::vector<int>{2026, 12, 7, 11, 58, 7}));

    Commit(CompareClockButton);
    EXPECT_EQ(Sent(), Texts{"RZ\r\n"});
    EXPECT_TRUE(ui::IsDimmed(ClockDifferenceText));
    EXPECT_EQ(Program.TxWait, 1);
    SetNow(QDateTime(QDate(2026, 12, 7), QTime(12, 0, 0, 0)), 0);
    Echo("$RZ,2026-12-07T12:00:02");
    EXPECT_EQ(ui::GetText(ClockDifferenceText), "2.00");
    EXPECT_FALSE(ui::IsDimmed(ClockDifferenceText));

    delays.clear();
    ui::SetInt(ClockCalibrationField, -12);
    ui::Dispatch(ClockCalibrationField, ui::Event::KeyPress);
    Commit(ClockCalibrationField);
    EXPECT_EQ(Sent(), Texts{"WC,-12\r\n"});
    EXPECT_EQ(delays, std::vector<double>{0.1});
    EXPECT_TRUE(ui::IsDimmed(ClockCalibrationField));
    EXPECT_EQ(ui::GetTextColor(ClockCalibrationField), ui::kBlack);
    Echo("$WC,-12");
    EXPECT_FALSE(ui::IsDimmed(ClockCalibrationField));
}

// A dimmed clock control says in its tooltip why: with Auto Time Sync on the program keeps the
// clock. Without the switch on, or with the control usable, the help is as it was.
TEST_F(ClockCallbacksTest, TheTooltipOfADimmedClockControlNamesAutoTimeSync) {
    const ui::Role controls[] = {SetClockButton, ReadClockButton, SyncClockButton,
                                 CompareClockButton, ClockCalibrationField};
    struct Case {
        int autoSync;
        bool dimmed;
        bool reasonShown;
    };
    const Case cases[] = {{1, true, true}, {1, false, false}, {0, true, false}, {0, false, false}};
    for (const Case& c : cases)
        for (ui::Role control : controls) {
            SCOPED_TRACE(std::string(control) + (c.autoSync ? " sync on" : " sync off") +
                         (c.dimmed ? " dimmed" : ""));
            Program.EnaAutoSync = 0;
            ui::SetDimmed(control, false);
            const QString whatItDoes = ui::HelpOf(control)->text;
            Program.EnaAutoSync = c.autoSync;
            ui::SetDimmed(control, c.dimmed);
            const std::optional<ui::HelpText> help = ui::HelpOf(control);
            ASSERT_TRUE(help.has_value());
            EXPECT_EQ(help->text.startsWith("Dimmed because Auto Time Sync is on"), c.reasonShown);
            EXPECT_TRUE(help->text.endsWith(whatItDoes)) << "what the control does follows";
        }
}

} // namespace
} // namespace undarix::testing
