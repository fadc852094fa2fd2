#pragma once

// Roles (object names) of the configuration page. The page serves every kind of unit;
// its controls are shown by kind (radio, wired, the board), so the radio and the wired
// configuration both address them.

#include "ui/Role.h"

namespace undarix::core::configpage {

inline constexpr ui::Role ConnectionText = "configConnectionText";
inline constexpr ui::Role FactoryButton = "factoryButton";
inline constexpr ui::Role ConnectedIndicator = "configConnectedLed";
inline constexpr ui::Role DeviceNumberSelector = "deviceNumberSelector";
inline constexpr ui::Role NetworkAddressField = "networkAddressField";
inline constexpr ui::Role ReScanButton = "reScanButton";
inline constexpr ui::Role ModelText = "modelText";
inline constexpr ui::Role FirmwareVersionText = "firmwareVersionText";
inline constexpr ui::Role SerialNumberText = "serialNumberText";
inline constexpr ui::Role SerialNumberEntry = "serialNumberEntry";
inline constexpr ui::Role NewDeviceNumberField = "newDeviceNumberField";
inline constexpr ui::Role ConfigureRunSwitch = "configureRunSwitch";
inline constexpr ui::Role DataFormatRing = "dataFormatRing";
inline constexpr ui::Role SampleRateField = "sampleRateField";
inline constexpr ui::Role FilterSwitch = "filterSwitch";
inline constexpr ui::Role WiredSampleRateField = "wiredSampleRateField";
inline constexpr ui::Role SerialOutputSwitch = "serialOutputSwitch";
inline constexpr ui::Role AirTemperatureSwitch = "airTemperatureSwitch";
inline constexpr ui::Role WiredDataFormatSwitch = "wiredDataFormatSwitch";
inline constexpr ui::Role PortRunModeRing = "portRunModeRing";
inline constexpr ui::Role AnalogOutputSwitch = "analogOutputSwitch";
inline constexpr ui::Role TtlRunModeSwitch = "ttlRunModeSwitch";
inline constexpr ui::Role FileIntervalField = "fileIntervalField";
inline constexpr ui::Role TimeTagRing = "timeTagRing";
inline constexpr ui::Role BurstLengthField = "burstLengthField";
inline constexpr ui::Role BurstIntervalField = "burstIntervalField";
inline constexpr ui::Role PowerFrame = "powerFrame";
inline constexpr ui::Role PowerSwitch = "powerSwitch";
inline constexpr ui::Role VoltageGauge = "voltageGauge";
inline constexpr ui::Role ReadVoltageButton = "readVoltageButton";
inline constexpr ui::Role AlarmFrame = "alarmFrame";
inline constexpr ui::Role Alarm1EnableSwitch = "alarm1EnableSwitch";
inline constexpr ui::Role Alarm2EnableSwitch = "alarm2EnableSwitch";
inline constexpr ui::Role Alarm1OnLevel = "alarm1OnLevel";
inline constexpr ui::Role Alarm1OffLevel = "alarm1OffLevel";
inline constexpr ui::Role Alarm2OnLevel = "alarm2OnLevel";
inline constexpr ui::Role Alarm2OffLevel = "alarm2OffLevel";
inline constexpr ui::Role CalibrationFrame = "calibrationFrame";
inline constexpr ui::Role StaffLengthField = "staffLengthField";
inline constexpr ui::Role StaffTypeRing = "staffTypeRing";
inline constexpr ui::Role CurrentModeSwitch = "currentModeSwitch";
inline constexpr ui::Role FactoryCalibrateButton = "factoryCalibrateButton";
inline constexpr ui::Role SavePresentCalButton = "savePresentCalButton";
inline constexpr ui::Role CalibrateMetersField = "calibrateMetersField";
inline constexpr ui::Role CalSetButton = "calSetButton";
inline constexpr ui::Role CalClearPointButton = "calClearPointButton";
inline constexpr ui::Role CalClearAllButton = "calClearAllButton";
inline constexpr ui::Role CalPointsTable = "calPointsTable";
inline constexpr ui::Role LowCalPointField = "lowCalPointField";
inline constexpr ui::Role HighCalPointField = "highCalPointField";
inline constexpr ui::Role LowReadingField = "lowReadingField";
inline constexpr ui::Role HighReadingField = "highReadingField";
inline constexpr ui::Role AutoCalLowButton = "autoCalLowButton";
inline constexpr ui::Role AutoCalHighButton = "autoCalHighButton";
inline constexpr ui::Role GainField = "gainField";
inline constexpr ui::Role OffsetField = "offsetField";
inline constexpr ui::Role WiredCalibrateButton = "wiredCalibrateButton";
inline constexpr ui::Role SetDefaultValuesButton = "setDefaultValuesButton";
inline constexpr ui::Role HighTripField = "highTripField";
inline constexpr ui::Role LowTripField = "lowTripField";
inline constexpr ui::Role DeadZoneField = "deadZoneField";
inline constexpr ui::Role RemotePanIdLabel = "remotePanIdLabel";
inline constexpr ui::Role RemotePanIdField = "remotePanIdField";
inline constexpr ui::Role SaveRemotePanIdButton = "saveRemotePanIdButton";
inline constexpr ui::Role StartTimeFrame = "startTimeFrame";
inline constexpr ui::Role StartTimeSwitch = "startTimeSwitch";
inline constexpr ui::Role StartYearField = "startYearField";
inline constexpr ui::Role StartMonthField = "startMonthField";
inline constexpr ui::Role StartDayField = "startDayField";
inline constexpr ui::Role StartHourField = "startHourField";
inline constexpr ui::Role StartMinuteField = "startMinuteField";
inline constexpr ui::Role WriteStartTimeButton = "writeStartTimeButton";
inline constexpr ui::Role ClockFrame = "clockFrame";
inline constexpr ui::Role ClockYearField = "clockYearField";
inline constexpr ui::Role ClockMonthField = "clockMonthField";
inline constexpr ui::Role ClockDayField = "clockDayField";
inline constexpr ui::Role ClockHourField = "clockHourField";
inline constexpr ui::Role ClockMinuteField = "clockMinuteField";
inline constexpr ui::Role ClockSecondField = "clockSecondField";
inline constexpr ui::Role ClockDifferenceText = "clockDifferenceText";
inline constexpr ui::Role SetClockButton = "setClockButton";
inline constexpr ui::Role ReadClockButton = "readClockButton";
inline constexpr ui::Role SyncClockButton = "syncClockButton";
inline constexpr ui::Role CompareClockButton = "compareClockButton";
inline constexpr ui::Role ClockCalibrationField = "clockCalibrationField";

// Every role above, for checks that the page carries them all.
inline constexpr ui::Role kAllRoles[] = {
    ConnectionText,
    FactoryButton,
    ConnectedIndicator,
    DeviceNumberSelector,
    NetworkAddressField,
    ReScanButton,
    ModelText,
    FirmwareVersionText,
    SerialNumberText,
    SerialNumberEntry,
    NewDeviceNumberField,
    ConfigureRunSwitch,
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
    PowerFrame,
    PowerSwitch,
    VoltageGauge,
    ReadVoltageButton,
    AlarmFrame,
    Alarm1EnableSwitch,
    Alarm2EnableSwitch,
    Alarm1OnLevel,
    Alarm1OffLevel,
    Alarm2OnLevel,
    Alarm2OffLevel,
    CalibrationFrame,
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
    RemotePanIdLabel,
    RemotePanIdField,
    SaveRemotePanIdButton,
    StartTimeFrame,
    StartTimeSwitch,
    StartYearField,
    StartMonthField,
    StartDayField,
    StartHourField,
    StartMinuteField,
    WriteStartTimeButton,
    ClockFrame,
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

} // namespace undarix::core::configpage
