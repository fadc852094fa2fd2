#include "radiocfg/PageOperations.h"

#include "core/ConfigPageRoles.h"
#include "ui/Controls.h"

#include <QTableWidget>

namespace undarix::radiocfg {
namespace {

using namespace core::configpage;

// The 72 setting controls and command buttons.
constexpr ui::Role kSettingRoles[] = {
    ModelText,
    FirmwareVersionText,
    SerialNumberText,
    SerialNumberEntry,
    NewDeviceNumberField,
    DataFormatRing,
    SampleRateField,
    FilterSwitch,
    WiredSampleRateField,
    SerialOutputSwitch,
    AirTemperatureSwitch,
    WiredDataFormatSwitch,
    PortRunModeRing,
    AnalogOutputSwitch,
    TtlRunModeSwitch,
    FileIntervalField,
    TimeTagRing,
    BurstLengthField,
    BurstIntervalField,
    PowerSwitch,
    VoltageGauge,
    ReadVoltageButton,
    Alarm1EnableSwitch,
    Alarm2EnableSwitch,
    Alarm1OnLevel,
    Alarm1OffLevel,
    Alarm2OnLevel,
    Alarm2OffLevel,
    StaffLengthField,
    StaffTypeRing,
    CurrentModeSwitch,
    FactoryCalibrateButton,
    SavePresentCalButton,
    CalibrateMetersField,
    CalSetButton,
    CalClearPointButton,
    CalClearAllButton,
    CalPointsTable,
    LowCalPointField,
    HighCalPointField,
    LowReadingField,
    HighReadingField,
    AutoCalLowButton,
    AutoCalHighButton,
    GainField,
    OffsetField,
    WiredCalibrateButton,
    SetDefaultValuesButton,
    HighTripField,
    LowTripField,
    DeadZoneField,
    RemotePanIdField,
    SaveRemotePanIdButton,
    StartTimeSwitch,
    StartYearField,
    StartMonthField,
    StartDayField,
    StartHourField,
    StartMinuteField,
    WriteStartTimeButton,
    ClockYearField,
    ClockMonthField,
    ClockDayField,
    ClockHourField,
    ClockMinuteField,
    ClockSecondField,
    ClockDifferenceText,
    SetClockButton,
    ReadClockButton,
    SyncClockButton,
    CompareClockButton,
    ClockCalibrationField,
};
static_assert(std::size(kSettingRoles) == 72);

constexpr ui::Role kDateTimeFields[] = {
    StartYearField,   StartMonthField,  StartDayField,    StartHourField,
    StartMinuteField, ClockYearField,   ClockMonthField,  ClockDayField,
    ClockHourField,   ClockMinuteField, ClockSecondField,
};

constexpr ui::Role kMarkedButtons[] = {WriteStartTimeButton, SetClockButton, WiredCalibrateButton};

constexpr int kCalibrationRows = 12;

void ClearCalibrationTable() {
    if (auto* table = ui::Widget<QTableWidget>(CalPointsTable)) {
        table->clearContents();
        return;
    }
    for (int row = 1; row <= kCalibrationRows; ++row)
        ui::SetTableCell(CalPointsTable, row, 1, 0.0);
}

struct RingItem {
    const char* label;
    int value;
};

void FillRing(ui::Role ring, std::initializer_list<RingItem> items) {
    ui::ClearList(ring);
    for (const RingItem& item : items)
        ui::InsertListItem(ring, item.label, item.value);
    ui::DefaultCtrl(ring);
}

} // namespace

void DimAllConfig() {
    for (ui::Role role : kSettingRoles)
        ui::SetDimmed(role, true);
}

void DefaultAllConfig() {
    for (ui::Role role : kSettingRoles)
        ui::DefaultCtrl(role);
    ui::DefaultCtrl(NetworkAddressField);
    ClearCalibrationTable();
    for (ui::Role role : kDateTimeFields)
        ui::SetTextColor(role, ui::kBlack);
    for (ui::Role role : kMarkedButtons)
        ui::SetButtonMark(role, 0);
}

void ConfigConnectDefault() {
    ui::DefaultCtrl(DeviceNumberSelector);
    ui::DefaultCtrl(NetworkAddressField);
    ui::SetText(ConnectionText, "Not Connected");
    ui::SetTextColor(ConnectionText, ui::kRed);
    ui::DefaultCtrl(ConnectedIndicator);
    ui::SetVisible(ConnectedIndicator, false);
}

void FillConfigRings() {
    FillRing(DataFormatRing, {{"ASCII 32 Samples", 1},
                              {"Float 32 Samples", 2},
                              {"Integer 64 Samples", 3},
                              {"ASCII 1 Sample", 4}});
    FillRing(StaffTypeRing, {{"Rod", 1}, {"Cable", 2}, {"Sonic", 3}});
    FillRing(CurrentModeSwitch, {{"Normal", 1}, {"High", 2}});
    FillRing(PortRunModeRing, {{"Free Run", 0}, {"Sync", 1}});
    FillRing(ConfigureRunSwitch, {{"Run", 0}, {"Configure", 1}});
    FillRing(TimeTagRing, {{"None", 0}, {"Minute", 1}, {"Hour", 2}, {"Day", 3}});
}

} // namespace undarix::radiocfg
