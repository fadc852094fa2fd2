#include "radiocfg/ReplyParser.h"

#include "core/ConfigPageRoles.h"
#include "core/FrameBuffers.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "live/DeviceTable.h"
#include "radiocfg/ClockComparison.h"
#include "radiocfg/ConfigDisplay.h"
#include "radiocfg/SettingsEvents.h"
#include "radiocfg/UnitCommandSender.h"
#include "radiocfg/VoltageGauge.h"
#include "radiocfg/codec/UnitCalendar.h"
#include "radiocfg/codec/UnitCommand.h"
#include "radiocfg/codec/UnitReply.h"
#include "ui/Controls.h"

#include <cstring>
#include <string_view>

namespace undarix::radiocfg {
namespace {

using namespace core::configpage;
using core::Program;
using std::string_view;

// What a reply does to TxWait: nothing (not a reply this parser knows, or one that leaves the
// command to be resent), or clears it.
enum class Outcome { Ignored, KeepWaiting, Done };

constexpr int kRealDecimals = 3;
constexpr int kHeightDecimals = 4;
constexpr int kReReadFrom = 17;      // the session reads on from number 18
constexpr int kSonicReReadFrom = 20; // ... from number 21 for the sonic kinds

void Show(ui::Role role, int value) {
    ui::SetInt(role, value);
    ui::SetDimmed(role, false);
}
void ShowReal(ui::Role role, double value) {
    ui::SetReal(role, value);
    ui::SetDimmed(role, false);
}
void ShowText(ui::Role role, string_view text) {
    ui::SetText(role, QString::fromLatin1(text.data(), qsizetype(text.size())));
    ui::SetDimmed(role, false);
}
void Undim(std::initializer_list<ui::Role> roles) {
    for (ui::Role role : roles)
        ui::SetDimmed(role, false);
}

// Whether the last echo compared was the control's value, for the settings events.
bool echoMatched = true;

// A write is confirmed when the unit echoes the value the control holds.
bool Confirm(ui::Role role, int echoed) {
    const bool match = ui::GetInt(role) == echoed;
    if (match) ui::SetDimmed(role, false);
    echoMatched = match;
    return match;
}
bool ConfirmReal(ui::Role role, double echoed, int decimals) {
    const bool match = codec::EchoMatches(echoed, ui::GetReal(role), decimals);
    if (match) ui::SetDimmed(role, false);
    echoMatched = match;
    return match;
}

bool IsSonic() {
    return Program.UnitType == core::RezavIvirErazudXB ||
           Program.UnitType == core::RezavIvirErazudRV;
}

// The model names the kind; the sonic kinds have one current mode only.
void RecogniseKind(string_view reply) {
    const int kind = codec::KindFromModel(reply);
    Program.UnitType = kind;
    if (kind != core::RavoZerarXB) {
        Program.ConfigCurrentMode = 1;
        ui::SetDimmed(CurrentModeSwitch, true);
        Undim({FactoryCalibrateButton, SavePresentCalButton});
    }
    SetUpConfigDisplay();
}

// From version 2 on, and on every sonic unit, the calibration is a table of up to 12 points;
// older Ravo Zerar XB firmware calibrates with two points, gain and offset.
void ChooseCalibrationStyle(string_view reply) {
    const double version = codec::ReplyInt(reply);
    const bool table = version >= 2.0 || IsSonic();
    Program.Version12CalPts = table ? 1 : 0;
    Config12PointCalVisible(table);
    Config2PointCalVisible(!table);
}

void ShowStartTime(string_view reply) {
    const codec::DateTimeFields start = codec::AddOneMinute(codec::ReplyDateTime(reply));
    Show(StartYearField, start.year);
    Show(StartMonthField, start.month);
    Show(StartDayField, start.day);
    Show(StartHourField, start.hour);
    Show(StartMinuteField, start.minute);
    ui::SetDimmed(WriteStartTimeButton, false);
}

void ShowClock(string_view reply) {
    const codec::DateTimeFields clock = codec::ReplyDateTime(reply);
    Show(ClockYearField, clock.year);
    Show(ClockMonthField, clock.month);
    Show(ClockDayField, clock.day);
    Show(ClockHourField, clock.hour);
    Show(ClockMinuteField, clock.minute);
    Show(ClockSecondField, clock.second);
    // With automatic time sync on, the clock is the sync's to set.
    if (Program.EnaAutoSync == 0)
        Undim({SetClockButton, ReadClockButton, SyncClockButton, CompareClockButton});
}

Outcome ReadReply(char key, string_view reply) {
    const int value = codec::ReplyInt(reply);
    switch (key) {
    case 'X':
        Show(DeviceNumberSelector, value);
        Show(NewDeviceNumberField, value);
        break;
    case 'H':
        ShowText(ModelText, codec::ReplyText(reply));
        RecogniseKind(reply);
        break;
    case 'K':
        ChooseCalibrationStyle(reply);
        ShowText(FirmwareVersionText, codec::ReplyText(reply));
        break;
    case 'D':
        ShowText(SerialNumberText, codec::ReplyText(reply));
        ui::SetDimmed(SerialNumberEntry, false);
        break;
    case 'S': Show(SampleRateField, value); break;
    case 'L': Show(BurstLengthField, value); break;
    case 'I': Show(BurstIntervalField, value); break;
    case 'F': Show(FilterSwitch, value); break;
    case 'O':
        // The format the unit holds, which a refused format change puts the ring back to.
        Program.LastDataFormat = value;
        Show(DataFormatRing, value);
        break;
    case 'R': Show(StartTimeSwitch, value); break;
    case 'Q': ShowStartTime(reply); break;
    case 'T': ShowClock(reply); break;
    case 'C':
        ui::SetInt(ClockCalibrationField, value);
        if (Program.EnaAutoSync == 0) ui::SetDimmed(ClockCalibrationField, false);
        break;
    case 'P': Show(PowerSwitch, value); break;
    case 'V': ShowVoltage(codec::ReplyReal(reply)); break;
    case 'W':
        if (value == 0) return Outcome::KeepWaiting; // never taken over: read it again
        Program.ConfigCurrentMode = value;
        Show(CurrentModeSwitch, value);
        Undim({FactoryCalibrateButton, SavePresentCalButton, AutoCalLowButton, AutoCalHighButton});
        break;
    case 'Z':
        ShowClockDifference(codec::ReplyInt(reply, codec::kHourPos),
                            codec::ReplyInt(reply, codec::kMinutePos),
                            codec::ReplyInt(reply, codec::kSecondPos));
        break;
    case 'G': Show(HighTripField, value); break;
    case 'U': Show(LowTripField, value); break;
    case 'Y': Show(DeadZoneField, value); break;
    default: return Outcome::Ignored;
    }
    return Outcome::Done;
}

void ShowCalibrationTable(string_view reply) {
    for (int k = 0; k < codec::kTablePoints; ++k)
        ui::SetTableCell(CalPointsTable, k + 1, 1, codec::ReplyTablePoint(reply, k));
    Undim({CalibrateMetersField, CalSetButton, CalClearPointButton, CalClearAllButton,
           CalPointsTable});
}

Outcome SetReadReply(char key, string_view reply) {
    switch (key) {
    case 'T': Show(StaffTypeRing, codec::ReplyInt(reply)); break;
    case 'S': ShowReal(StaffLengthField, codec::ReplyReal(reply)); break;
    case 'A': ShowCalibrationTable(reply); break;
    case 'G': ShowReal(GainField, codec::ReplyReal(reply)); break;
    case 'O': ShowReal(OffsetField, codec::ReplyReal(reply)); break;
    case 'L': ShowReal(LowCalPointField, codec::ReplyReal(reply)); break;
    case 'H': ShowReal(HighCalPointField, codec::ReplyReal(reply)); break;
    default: return Outcome::Ignored;
    }
    return Outcome::Done;
}

void ShowConnected() {
    ui::SetText(ConnectionText, "Connected");
    ui::SetTextColor(ConnectionText, ui::kGreen);
    ui::SetInt(ConnectedIndicator, 1);
    ui::SetVisible(ConnectedIndicator, true);
}

Outcome WriteAcknowledge(char key, string_view reply, int slot) {
    if (codec::IsSessionAcknowledge(reply)) {
        ShowConnected();
        return Outcome::Done;
    }
    const int value = codec::ReplyInt(reply);
    switch (key) {
    case 'S':
        if (Confirm(SampleRateField, value) && slot >= 0 && slot < live::kTableSlots)
            live::OutputLine[std::size_t(slot)].sampleRate = std::uint8_t(value);
        break;
    case 'X':
        if (Confirm(NewDeviceNumberField, value)) ui::SetInt(DeviceNumberSelector, value);
        break;
    case 'L': Confirm(BurstLengthField, value); break;
    case 'I': Confirm(BurstIntervalField, value); break;
    case 'F': Confirm(FilterSwitch, value); break;
    case 'O':
        Program.LastDataFormat = value;
        Confirm(DataFormatRing, value);
        break;
    case codec::kSerialNumberKey:
        // Read the stored serial number back.
        ui::SetDimmed(SerialNumberEntry, false);
        Program.TxWait = 1;
        SendUnitCommand(codec::FormatRead("RD"));
        return Outcome::KeepWaiting;
    case 'R': Confirm(StartTimeSwitch, value); break;
    case 'Q':
        if (value != 1) return Outcome::KeepWaiting;
        Undim({StartYearField, StartMonthField, StartDayField, StartHourField, StartMinuteField,
               WriteStartTimeButton});
        break;
    case 'T':
        if (value != 1) return Outcome::KeepWaiting;
        Undim({ClockYearField, ClockMonthField, ClockDayField, ClockHourField, ClockMinuteField,
               ClockSecondField});
        if (Program.EnaAutoSync == 0) ui::SetDimmed(SetClockButton, false);
        // After a clock sync TxStr may hold an earlier setting still awaiting its own
        // acknowledge: the sync's does not end that wait.
        if (!TxStrHolds("WT")) return Outcome::KeepWaiting;
        break;
    case 'P': Confirm(PowerSwitch, value); break;
    case 'W':
        Program.ConfigCurrentMode = value;
        Confirm(CurrentModeSwitch, value);
        break;
    case 'C': Confirm(ClockCalibrationField, value); break;
    case 'G': Show(HighTripField, value); break;
    case 'U': Show(LowTripField, value); break;
    case 'Y': Show(DeadZoneField, value); break;
    default: return Outcome::Ignored;
    }
    return Outcome::Done;
}

// After a calibration change the session reads staff type, staff length and the calibration
// again.
void ReReadCalibration(char family) {
    Program.TxWait = 0;
    Program.LastConfigStatus = 255;
    Program.ConfigStatus = 2;
    Program.ConfigType =
        family == codec::kSet1WriteFamily && IsSonic() ? kSonicReReadFrom : kReReadFrom;
}

Outcome SetWriteAcknowledge(char family, char key, string_view reply) {
    const int value = codec::ReplyInt(reply);
    switch (key) {
    case 'T': Confirm(StaffTypeRing, value); break;
    case 'S': ConfirmReal(StaffLengthField, codec::ReplyReal(reply), kRealDecimals); break;
    case 'G': ConfirmReal(GainField, codec::ReplyReal(reply), kRealDecimals); break;
    case 'O': ConfirmReal(OffsetField, codec::ReplyReal(reply), kRealDecimals); break;
    case 'F':
        if (value == 1) ui::SetDimmed(FactoryCalibrateButton, false);
        break;
    case '!':
        if (value == 1) ui::SetDimmed(SavePresentCalButton, false);
        break;
    case 'P':
    case 'N':
        if (!codec::EchoMatches(codec::ReplyReal(reply), ui::GetReal(CalibrateMetersField),
                                kHeightDecimals))
            return Outcome::KeepWaiting;
        ReReadCalibration(family);
        break;
    case 'C':
        if (value != 1) return Outcome::KeepWaiting;
        ReReadCalibration(family);
        break;
    case 'X':
        if (value == 1) ui::SetDimmed(AutoCalLowButton, false);
        break;
    case 'Y':
        if (value == 1) ui::SetDimmed(AutoCalHighButton, false);
        break;
    default: return Outcome::Ignored;
    }
    return Outcome::Done;
}

} // namespace

void RxConfigData(int slot) {
    const string_view reply(core::RxChars, strnlen(core::RxChars, core::kRxCharsSize));
    const codec::ReplyHead head = codec::ParseReplyHead(reply);
    Outcome outcome = Outcome::Ignored;
    echoMatched = true;
    switch (head.family) {
    case codec::kReadFamily: outcome = ReadReply(head.key, reply); break;
    case codec::kSet1ReadFamily:
    case codec::kSet2ReadFamily: outcome = SetReadReply(head.key, reply); break;
    case codec::kWriteFamily: outcome = WriteAcknowledge(head.key, reply, slot); break;
    case codec::kSet1WriteFamily:
    case codec::kSet2WriteFamily:
        outcome = SetWriteAcknowledge(head.family, head.key, reply);
        break;
    default: break;
    }
    if (outcome == Outcome::Done) Program.TxWait = 0;
    if (outcome == Outcome::Ignored) return;
    const bool write = head.family == codec::kWriteFamily ||
                       head.family == codec::kSet1WriteFamily ||
                       head.family == codec::kSet2WriteFamily;
    if (codec::IsSessionAcknowledge(reply))
        NoteSessionOpened();
    else if (!write)
        NoteReadReply(reply);
    else if (outcome == Outcome::Done)
        NoteWriteAcknowledge(reply, echoMatched);
}

} // namespace undarix::radiocfg
