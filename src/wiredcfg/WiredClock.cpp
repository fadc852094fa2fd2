#include "wiredcfg/WiredClock.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/SerialPort.h"
#include "ui/Controls.h"
#include "ui/Delay.h"
#include "wiredcfg/BlockWrite.h"
#include "wiredcfg/ConfigCycle.h"
#include "wiredcfg/PcClock.h"
#include "wiredcfg/SettingsEvents.h"

#include <QDateTime>

#include <initializer_list>

namespace undarix::wiredcfg {
namespace {

using core::Program;
using namespace core::configpage;

const std::initializer_list<ui::Role> kClockFields = {ClockYearField,   ClockMonthField,
                                                      ClockDayField,    ClockHourField,
                                                      ClockMinuteField, ClockSecondField};

// "s" and the board's clock line: month-day-year, then the time, ended LF CR.
void SendBoardClock(const QDateTime& when, bool pauseBeforeStop) {
    const int port = Program.OpenComPortNum;
    const QDate date = when.date();
    const QTime time = when.time();
    const QByteArray text =
        QString::asprintf("%02i-%02i-%02i %02i:%02i:%02i\n\r", date.month(), date.day(),
                          date.year() - 2000, time.hour(), time.minute(), time.second())
            .toLatin1();
    link::FlushOutQ(port);
    if (pauseBeforeStop) ui::Delay(0.2);
    link::ComWrtByte(port, 's');
    ui::Delay(0.4);
    link::FlushOutQ(port);
    ui::Delay(0.2);
    link::ComWrt(port, text.constData(), int(text.size()));
    ui::Delay(0.4);
    NoteWiredWriteSent();
    Program.ConfigStatus = 0; // the board is read again
}

// The edit marks of the clock fields and the Set button; the fields wait dimmed for the
// read-back.
void ClockFieldsSent() {
    for (ui::Role field : kClockFields) {
        ui::SetTextColor(field, ui::kBlack);
        ui::SetDimmed(field, true);
    }
    ui::SetButtonMark(SetClockButton, 0);
}

QDateTime ClockFieldsValue() {
    return QDateTime(
        QDate(ui::GetInt(ClockYearField), ui::GetInt(ClockMonthField), ui::GetInt(ClockDayField)),
        QTime(ui::GetInt(ClockHourField), ui::GetInt(ClockMinuteField),
              ui::GetInt(ClockSecondField)));
}

} // namespace

void WiredSetClock() {
    ui::Delay(0.2);
    if (core::IsBoard(Program.UnitType)) {
        const QDateTime when = ClockFieldsValue();
        ClockFieldsSent();
        return SendBoardClock(when, false); // the pause before "s" was the one above
    }
    if (!core::IsWiredKind(Program.UnitType)) return;
    core::WiredConfigRecord& record = Program.WSAll;
    record.ClockYear = ui::GetInt(ClockYearField);
    record.ClockMonth = ui::GetInt(ClockMonthField);
    record.ClockDay = ui::GetInt(ClockDayField);
    record.ClockHour = ui::GetInt(ClockHourField);
    record.ClockMinute = ui::GetInt(ClockMinuteField);
    record.ClockSecond = ui::GetInt(ClockSecondField);
    ClockFieldsSent();
    SetSetClockRequest();
    TxWSAllConfig();
}

void WiredReadClock() {
    const int unitType = Program.UnitType;
    if (!core::IsWiredKind(unitType) && !core::IsBoard(unitType)) return;
    DimAndDefaultPage();
    Program.LastConfigStatus = 255;
    Program.ConfigStatus = 0;
    if (core::IsWiredKind(unitType)) link::ComWrtByte(Program.OpenComPortNum, 'r');
    Program.WSWLConnectTimer = 0;
    Program.WSWLConnectStatus = 5;
}

void WiredSyncToPC() {
    if (core::IsBoard(Program.UnitType)) return SendBoardClock(WaitForNextSecond(), true);
    if (!core::IsWiredKind(Program.UnitType)) return;
    ClockFieldsSent();
    Program.WLSyncRTC = 1; // the block takes the PC clock as it is built
    SetSetClockRequest();
    TxWSAllConfig();
}

void WiredCompClock() {
    const int unitType = Program.UnitType;
    if (!core::IsWiredKind(unitType) && !core::IsBoard(unitType)) return;
    ui::SetDimmed(ClockDifferenceText, true);
    Program.WLDeltaRTC = 1; // the read-back shows the difference
    if (core::IsBoard(unitType)) {
        ui::Delay(0.4);
        Program.ConfigStatus = 0;
        return;
    }
    ClearSetClockRequest();
    TxWSAllConfig();
}

} // namespace undarix::wiredcfg
