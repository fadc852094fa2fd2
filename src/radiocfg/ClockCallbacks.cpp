#include "radiocfg/ClockCallbacks.h"

#include "core/ConfigPageRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "radiocfg/SettingWrite.h"
#include "radiocfg/UnitCommandSender.h"
#include "radiocfg/codec/UnitCommand.h"
#include "ui/Controls.h"
#include "ui/Delay.h"
#include "ui/Popups.h"
#include "ui/StraySteps.h"
#include "wiredcfg/PcClock.h"
#include "wiredcfg/WiredClock.h"

#include <QDateTime>

namespace undarix::radiocfg {
namespace {

using namespace core::configpage;
using core::Program;

constexpr double kSetClockWait = 0.2;
constexpr int kIdle = 3;

const ui::Role kClockFields[] = {ClockYearField, ClockMonthField,  ClockDayField,
                                 ClockHourField, ClockMinuteField, ClockSecondField};

bool Radio() {
    return core::IsRadioKind(Program.UnitType);
}

void MarkClockEdit(ui::Role field, ui::Event event) {
    if (event != ui::Event::Commit) return;
    ui::SetTextColor(field, ui::kRed);
    ui::SetButtonMark(SetClockButton, ui::kRed);
}

// The fields now hold what goes to the unit: no edit is left unsent. They wait dimmed for the
// unit's acknowledge.
void ClockFieldsSent() {
    for (ui::Role field : kClockFields) {
        ui::SetTextColor(field, ui::kBlack);
        ui::SetDimmed(field, true);
    }
    ui::SetButtonMark(SetClockButton, 0);
}

const char* const kDateAndTimeHelp =
    "The unit's date and time when it was last scanned.  Press Read to\n"
    "update them to the unit's present date and time.\n\n"
    "For XB and RV units the Auto Time Sync must be off to use Read.";

const char* const kSetClockHelp =
    "Sets the clock of the XB unit or Deve Zuravi to the date and time\n"
    "displayed.  An edited field shows in red until it is set.";

const char* const kReadClockHelp = "Updates the display to the unit's present date and time.";

const char* const kSyncHelp = "Sync sets the unit's clock to the computer's clock.  Compare Time\n"
                              "verifies the difference between the two, in seconds.\n\n"
                              "The Deve Zuravi and Deve Zuravi III are only set to within 1 Sec.";

const char* const kRtcCalibrationHelp =
    "To find the calibration value:\n"
    "1. Measure the clock's error in seconds per minute.\n"
    "2. Correction = (32768 x error) / 4; negative if the clock is fast,\n"
    "    positive if it is slow.\n"
    "3. Add the correction to the present value and enter the total.\n\n"
    "Example: a clock 24 s slow per week, present value 7:\n"
    "    -24 / (60 x 24 x 7) = -0.00239 s per minute\n"
    "    (32768 x -0.00239) / 4 = -19.5\n"
    "    -19.5 + 7 = -12.5: enter -12.";

} // namespace

void SetYear(ui::Event event) {
    MarkClockEdit(ClockYearField, event);
}
void SetMonth(ui::Event event) {
    MarkClockEdit(ClockMonthField, event);
}
void SetDay(ui::Event event) {
    MarkClockEdit(ClockDayField, event);
}
void SetHour(ui::Event event) {
    MarkClockEdit(ClockHourField, event);
}
void SetMinute(ui::Event event) {
    MarkClockEdit(ClockMinuteField, event);
}
void SetSecond(ui::Event event) {
    MarkClockEdit(ClockSecondField, event);
}

void SetClock(ui::Event event) {
    if (event != ui::Event::Commit) return;
    if (!Radio()) return wiredcfg::WiredSetClock();
    ui::Delay(kSetClockWait);
    ClockFieldsSent();
    ui::SetDimmed(SetClockButton, true);
    if (!UnitToWrite()) return;
    SendUnitCommand(codec::FormatClock(ui::GetInt(ClockYearField), ui::GetInt(ClockMonthField),
                                       ui::GetInt(ClockDayField), ui::GetInt(ClockHourField),
                                       ui::GetInt(ClockMinuteField), ui::GetInt(ClockSecondField)));
    Program.TxWait = 1;
}

void ReadClock(ui::Event event) {
    if (event != ui::Event::Commit) return;
    if (!Radio()) return wiredcfg::WiredReadClock();
    if (!UnitToWrite()) return;
    SendUnitCommand(codec::FormatRead("RT"));
    Program.TxWait = 1;
}

void SyncToPC(ui::Event event) {
    if (event != ui::Event::Commit) return;
    if (!Radio()) return wiredcfg::WiredSyncToPC();
    if (!UnitToWrite()) return;
    // The command leaves at the start of a second; date and time come from one reading, so a
    // wait across midnight sends the new day with 00:00:00.
    const QDateTime now = wiredcfg::WaitForNextSecond();
    const QDate date = now.date();
    const QTime time = now.time();
    const codec::CommandLine sync = codec::FormatClock(date.year(), date.month(), date.day(),
                                                       time.hour(), time.minute(), time.second());
    // A sync is never resent: seconds later it would set the clock wrong. A setting written
    // just before may still await its acknowledge; it keeps its resend, or its control would
    // stay dimmed for good when that acknowledge was lost. While the configuration is being
    // read, the read sequence goes on as it was.
    if (Program.ConfigStatus == kIdle)
        SendOnceKeepingTheAwaitedCommand(sync);
    else
        SendUnitCommand(sync);
    ui::SetInt(ClockYearField, date.year());
    ui::SetInt(ClockMonthField, date.month());
    ui::SetInt(ClockDayField, date.day());
    ui::SetInt(ClockHourField, time.hour());
    ui::SetInt(ClockMinuteField, time.minute());
    ui::SetInt(ClockSecondField, time.second());
    ClockFieldsSent();
}

void CompClock(ui::Event event) {
    if (event != ui::Event::Commit) return;
    if (!Radio()) return wiredcfg::WiredCompClock();
    ui::SetDimmed(ClockDifferenceText, true);
    if (!UnitToWrite()) return;
    SendUnitCommand(codec::FormatRead("RZ"));
    Program.TxWait = 1;
}

void RtcCal(ui::Event event) {
    if (MarkEdit(ClockCalibrationField, event, ui::kBlack) || event != ui::Event::Commit) return;
    EndEdit(ClockCalibrationField, ui::kBlack);
    // Shown for radio units only.
    if (!Radio()) return;
    WriteSetting(ClockCalibrationField, codec::FormatInt("WC", ui::GetInt(ClockCalibrationField)));
}

ui::HelpText DateAndTimeHelp() {
    return {"DATE AND TIME", kDateAndTimeHelp};
}

void DateAndTimePopUp() {
    const ui::HelpText help = DateAndTimeHelp();
    ui::MessagePopup(help.title, help.text);
}

void BindClockCallbacks() {
    struct Binding {
        ui::Role role;
        ui::Handler handler;
    };
    const Binding bindings[] = {
        {ClockYearField, SetYear},       {ClockMonthField, SetMonth},
        {ClockDayField, SetDay},         {ClockHourField, SetHour},
        {ClockMinuteField, SetMinute},   {ClockSecondField, SetSecond},
        {SetClockButton, SetClock},      {ReadClockButton, ReadClock},
        {SyncClockButton, SyncToPC},     {CompareClockButton, CompClock},
        {ClockCalibrationField, RtcCal},
    };
    for (const Binding& binding : bindings)
        ui::OnEvent(binding.role, binding.handler);

    for (ui::Role field : kClockFields)
        ui::SetHelp(field, "DATE AND TIME", kDateAndTimeHelp);
    ui::SetHelp(SetClockButton, "MANUALLY SET CLOCK", kSetClockHelp);
    ui::SetHelp(ReadClockButton, "READ CLOCK", kReadClockHelp);
    ui::SetHelp(SyncClockButton, "SYNCHRONIZE CLOCK TO PC", kSyncHelp);
    ui::SetHelp(CompareClockButton, "SYNCHRONIZE CLOCK TO PC", kSyncHelp);
    ui::SetHelp(ClockCalibrationField, "REAL TIME CLOCK CALIBRATE", kRtcCalibrationHelp);

    ui::PreventStrayCommits({ClockCalibrationField});
}

} // namespace undarix::radiocfg
