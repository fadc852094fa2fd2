#include "wiredcfg/ConfigDisplay.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "core/codec/ConfigBlock.h"
#include "link/WiredReceive.h"
#include "ui/Controls.h"
#include "ui/Popups.h"
#include "ui/StatusMessage.h"
#include "wiredcfg/PcClock.h"
#include "wiredcfg/SettingsEvents.h"
#include "wiredcfg/WiredConfigState.h"

#include <initializer_list>

namespace undarix::wiredcfg {
namespace {

using core::Program;
using namespace core::configpage;
namespace block = core::codec;

constexpr float kRodStaffLimitMm = 5000.0f;

const char* const kCalibrationErrorText =
    "The new calibration values were not set in the unit.\n"
    "Check the values entered.  First set the Default Values\n"
    "and then Calibrate again with the Test Points and Readings\n";

const char* ModelTextFor(int unitType) {
    switch (unitType) {
    case core::WiredRavoZerar402E: return "TALQ-310-402E-";
    case core::WiredRavoZerar408: return "TALQ-310-408-";
    case core::DeveZuravi404E: return "TALQ-310-404E-";
    case core::DeveZuravi410: return "TALQ-310-410-";
    default: return "TALQ-312-412";
    }
}

bool Bit(std::uint8_t flags, int bit) {
    return (flags >> bit) & 1;
}

void Enable(std::initializer_list<ui::Role> roles) {
    for (ui::Role role : roles)
        ui::SetDimmed(role, false);
}

void ShowInt(ui::Role role, int value) {
    ui::SetInt(role, value);
    ui::SetDimmed(role, false);
}

void ShowReal(ui::Role role, double value) {
    ui::SetReal(role, value);
    ui::SetDimmed(role, false);
}

void ShowText(ui::Role role, const char* text) {
    ui::SetText(role, QString::fromLatin1(text));
    ui::SetDimmed(role, false);
}

// The device number of a wired unit is fixed; its control is enabled with the value it has.
void ShowIdentification(int unitType) {
    Enable({NewDeviceNumberField});
    ShowText(ModelText, ModelTextFor(unitType));
}

// After a calibration write, each of gain and offset that the unit did not take (the value
// held, truncated, against the unit's 16-bit value) is reported before the unit's are shown.
void ReportCalibrationNotTaken(const char* raw) {
    const core::WiredConfigRecord& record = Program.WSAll;
    if (WiredCfg.NewCalGainZero) {
        if (!block::GainOffsetTaken(record.Gain, block::BlockGain(raw)))
            ui::MessagePopup("CALIBRATION ERROR", kCalibrationErrorText);
        if (!block::GainOffsetTaken(record.Offset, block::BlockOffset(raw)))
            ui::MessagePopup("CALIBRATION ERROR", kCalibrationErrorText);
    }
    WiredCfg.NewCalGainZero = 0;
}

void ShowSampling() {
    const core::WiredConfigRecord& record = Program.WSAll;
    ShowText(FirmwareVersionText, record.Version);
    ShowReal(GainField, record.Gain);
    ShowReal(OffsetField, record.Offset);
    ShowInt(WiredSampleRateField, record.SampleRate);
    ShowText(SerialNumberText, record.Identity);
    ShowInt(WiredDataFormatSwitch, Bit(record.ModeFlags, 0));
    ShowInt(SerialOutputSwitch, Bit(record.ModeFlags, 1));
    ShowInt(AirTemperatureSwitch, Bit(record.ModeFlags, 4));
}

void ShowAlarms() {
    const core::WiredConfigRecord& record = Program.WSAll;
    ShowInt(Alarm1EnableSwitch, Bit(record.AlarmFlags, 1));
    ShowInt(Alarm2EnableSwitch, Bit(record.AlarmFlags, 2));
    ShowReal(Alarm1OnLevel, record.Alarm1On / 1000.0);
    ShowReal(Alarm1OffLevel, record.Alarm1Off / 1000.0);
    ShowReal(Alarm2OnLevel, record.Alarm2On / 1000.0);
    ShowReal(Alarm2OffLevel, record.Alarm2Off / 1000.0);
}

void ShowClockFields() {
    const core::WiredConfigRecord& record = Program.WSAll;
    ShowInt(ClockYearField, record.ClockYear);
    ShowInt(ClockMonthField, record.ClockMonth);
    ShowInt(ClockDayField, record.ClockDay);
    ShowInt(ClockHourField, record.ClockHour);
    ShowInt(ClockMinuteField, record.ClockMinute);
    ShowInt(ClockSecondField, record.ClockSecond);
    Enable({SetClockButton, ReadClockButton, SyncClockButton, CompareClockButton});
}

void ShowClockDifferenceOrDefault() {
    if (Program.WLDeltaRTC == 1)
        ShowClockDifference();
    else
        ui::DefaultCtrl(ClockDifferenceText);
    Enable({ClockDifferenceText});
}

void ShowStartTime() {
    const core::WiredConfigRecord& record = Program.WSAll;
    ShowInt(StartYearField, record.StartYear);
    ShowInt(StartMonthField, record.StartMonth);
    ShowInt(StartDayField, record.StartDay);
    ShowInt(StartHourField, record.StartHour);
    ShowInt(StartMinuteField, record.StartMinute);
    Enable({WriteStartTimeButton});
    ShowInt(StartTimeSwitch, Bit(record.ModeFlags, 5));
}

void ShowPageConnected() {
    ui::SetText(ConnectionText, "Connected");
    ui::SetTextColor(ConnectionText, ui::kGreen);
    ui::SetInt(ConnectedIndicator, 1); // lit, as for a radio unit
    ui::SetVisible(ConnectedIndicator, true);
}

// Staff, two-point calibration and the connection texts, the same for both families.
void ShowStaffAndStatus(int unitType) {
    const float length = Program.WSAll.StaffLength;
    ShowReal(StaffLengthField, length / 1000.0);
    ShowInt(StaffTypeRing, StaffTypeFor(unitType, length));
    Enable({LowCalPointField, HighCalPointField, LowReadingField, HighReadingField,
            WiredCalibrateButton, SetDefaultValuesButton});
    ui::SetText(core::mainpanel::ConnectionText, "Configure Mode");
    ui::SetTextColor(core::mainpanel::ConnectionText, kConfigureModeBlue);
    ShowPageConnected();
}

bool ShowRavoZerar(int unitType, const char* raw) {
    // The receive path takes only good blocks; this guards a block that changed since.
    if (!block::BlockChecksumMatches(raw)) {
        ui::SetText(ConnectionText, "Damaged block");
        ui::ShowStatus("The unit's configuration block failed its checksum: not shown. "
                       "Switch to Run and back to Configure to read it again.");
        return false;
    }
    ShowIdentification(unitType);
    ReportCalibrationNotTaken(raw);
    block::DecodeConfigBlock(raw, unitType, Program.WSAll);
    ShowSampling();
    if (unitType == core::WiredRavoZerar402E) ShowAlarms();
    const std::uint8_t flags = Program.WSAll.ModeFlags;
    ShowInt(PortRunModeRing, Bit(flags, 6));
    ShowInt(TtlRunModeSwitch, Bit(flags, 7));
    ShowInt(AnalogOutputSwitch, Bit(flags, 5));
    ShowStaffAndStatus(unitType);
    return true;
}

void ShowDeveZuravi(int unitType, const char* raw) {
    ShowIdentification(unitType);
    ReportCalibrationNotTaken(raw);
    block::DecodeConfigBlock(raw, unitType, Program.WSAll);
    const core::WiredConfigRecord& record = Program.WSAll;
    ShowSampling();
    ShowInt(BurstLengthField, record.BurstLength);
    ShowInt(BurstIntervalField, record.BurstInterval);
    ShowInt(FileIntervalField, record.FileInterval);
    ShowClockFields();
    ShowClockDifferenceOrDefault();
    ShowStartTime();
    ShowStaffAndStatus(unitType);
}

// The board fills the record from its report and clock line; no calibration, staff or alarm
// control is enabled, and the main panel keeps its own connection text.
void ShowBoard() {
    const core::WiredConfigRecord& record = Program.WSAll;
    ShowText(SerialNumberText, record.Identity);
    ShowText(FirmwareVersionText, record.Version);
    ShowIdentification(core::Vazavevezeze);
    ShowInt(WiredSampleRateField, record.SampleRate);
    ShowInt(PortRunModeRing, record.SyncRunMode);
    ShowInt(TimeTagRing, record.SyncTimeTag);
    ShowClockFields();
    if (Program.WLDeltaRTC == 1) {
        ShowClockDifference();
        Enable({ClockDifferenceText});
    }
    ShowPageConnected();
}

} // namespace

int StaffTypeFor(int unitType, float staffLengthMm) {
    const bool rodKind = unitType == core::WiredRavoZerar402E || unitType == core::DeveZuravi404E;
    return rodKind && staffLengthMm <= kRodStaffLimitMm ? 1 : 2;
}

void ShowClockDifference() {
    const core::WiredConfigRecord& record = Program.WSAll;
    Program.WLDeltaRTC = 0;
    const QDateTime unit(QDate(record.ClockYear, record.ClockMonth, record.ClockDay),
                         QTime(record.ClockHour, record.ClockMinute, record.ClockSecond));
    if (!unit.isValid()) {
        ui::SetText(ClockDifferenceText, "invalid");
        return;
    }
    const QDateTime pc = WaitForNextSecond();
    const double difference = double(pc.msecsTo(unit)) / 1000.0 + 1.0;
    ui::SetText(ClockDifferenceText, QString::asprintf("%4.0f", difference));
}

void SetWSWLConfigDisplay() {
    const int unitType = Program.UnitType;
    const char* raw = link::WiredRx.WSWLRaw;
    if (block::IsRavoZerarBlockKind(unitType)) {
        if (!ShowRavoZerar(unitType, raw)) return;
    } else if (block::IsDeveZuraviBlockKind(unitType)) {
        ShowDeveZuravi(unitType, raw);
    } else if (core::IsBoard(unitType)) {
        ShowBoard();
    } else {
        return;
    }
    NoteWiredConfigShown();
}

} // namespace undarix::wiredcfg
