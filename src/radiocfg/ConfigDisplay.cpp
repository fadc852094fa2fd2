#include "radiocfg/ConfigDisplay.h"

#include "core/ConfigPageRoles.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "ui/ControlRegistry.h"
#include "ui/Controls.h"
#include "ui/Popups.h"

#include <QWidget>

#include <string>

namespace undarix::radiocfg {
namespace {

using namespace core::configpage;
namespace mainpanel = core::mainpanel;
using core::Program;

constexpr ui::Role kPage = "ConfigPage";

// A control and the caption beside it (named after it, "...Caption") come and go together.
void Show(ui::Role role, bool visible) {
    ui::SetVisible(role, visible);
    const std::string caption = std::string(role) + "Caption";
    if (ui::IsRegistered(caption)) ui::SetVisible(caption, visible);
}

void ShowAll(std::initializer_list<ui::Role> roles, int visible) {
    for (ui::Role role : roles)
        Show(role, visible != 0);
}

// A row of buttons whose buttons are all hidden takes no room either.
void TidyRows() {
    QWidget* page = ui::FindWidget(kPage);
    if (!page) return;
    for (QWidget* row : page->findChildren<QWidget*>()) {
        if (!row->objectName().endsWith("Row")) continue;
        bool any = false;
        for (QWidget* child : row->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            any = any || (!child->isHidden() && !child->objectName().contains("Sep"));
        row->setVisible(any);
    }
}

void MainPanelByKind(int kind, bool factory) {
    const bool radio = core::IsRadioKind(kind);
    const bool wired = core::IsWiredKind(kind);
    const bool board = core::IsBoard(kind);
    for (ui::Role role :
         {mainpanel::LocalPanId, mainpanel::LocalPanIdLabel, mainpanel::AutoTimeSyncSwitch,
          mainpanel::BroadcastPowerRing, mainpanel::BroadcastPowerLabel})
        ui::SetVisible(role, radio);
    ui::SetVisible(mainpanel::ConnectionText, !radio);
    ui::SetVisible(mainpanel::ConnectionLabel, !radio);
    ui::SetVisible(mainpanel::WiredGroup, !radio);
    ui::SetVisible(mainpanel::WiredIdentity, !radio);
    for (ui::Role role : {mainpanel::StaffLengthDisplay, mainpanel::StaffLengthLabel,
                          mainpanel::AirTempLive, mainpanel::AirTempFile, mainpanel::AirTempLabel})
        ui::SetVisible(role, wired);
    ui::SetVisible(mainpanel::BoardStaffTable, board);
    ui::SetVisible(mainpanel::SyncDiagnostic, radio && factory);
}

} // namespace

void ConfigXBSmpDataVisible(int visible) {
    ShowAll({NetworkAddressField, DataFormatRing, SampleRateField, FilterSwitch}, visible);
}

void ConfigWSWLSmpDataVisible(int visible) {
    ShowAll({WiredSampleRateField, SerialOutputSwitch, AirTemperatureSwitch, WiredDataFormatSwitch},
            visible);
}

void ConfigAnalogSyncVisible(int visible) {
    ShowAll({PortRunModeRing, AnalogOutputSwitch}, visible);
}

void ConfigBurstLengthIntervalVisible(int visible) {
    ShowAll({BurstLengthField, BurstIntervalField}, visible);
}

void ConfigPowerVisible(int visible) {
    ShowAll({PowerFrame, PowerSwitch, VoltageGauge, ReadVoltageButton}, visible);
}

void ConfigAlarmVisible(int visible) {
    ShowAll({AlarmFrame, Alarm1EnableSwitch, Alarm2EnableSwitch, Alarm1OnLevel, Alarm1OffLevel,
             Alarm2OnLevel, Alarm2OffLevel},
            visible);
}

void ConfigWSWLCalVisible(int visible) {
    ShowAll({LowCalPointField, HighCalPointField, LowReadingField, HighReadingField, GainField,
             OffsetField, WiredCalibrateButton, SetDefaultValuesButton},
            visible);
}

void ConfigCalLengthTypeVisible(int visible) {
    ShowAll({CalibrationFrame, StaffLengthField, StaffTypeRing}, visible);
}

void Config2PointCalVisible(int visible) {
    ShowAll({LowCalPointField, HighCalPointField, AutoCalLowButton, AutoCalHighButton, GainField,
             OffsetField},
            visible);
    TidyRows();
}

void Config12PointCalVisible(int visible) {
    ShowAll({CalibrateMetersField, CalSetButton, CalClearPointButton, CalClearAllButton,
             CalPointsTable},
            visible);
    TidyRows();
}

void ConfigXBPANVisible(int visible) {
    ShowAll({RemotePanIdLabel, RemotePanIdField, SaveRemotePanIdButton}, visible);
}

void ConfigStartTimeVisible(int visible) {
    ShowAll({StartTimeFrame, StartTimeSwitch, StartYearField, StartMonthField, StartDayField,
             StartHourField, StartMinuteField, WriteStartTimeButton},
            visible);
}

void ConfigClockVisible(int visible) {
    ShowAll({ClockFrame, ClockYearField, ClockMonthField, ClockDayField, ClockHourField,
             ClockMinuteField, ClockSecondField, ClockDifferenceText, SetClockButton,
             ReadClockButton, SyncClockButton, CompareClockButton, ClockCalibrationField},
            visible);
}

void ConfigCalModeFactoryVisible(int visible) {
    ShowAll({CurrentModeSwitch, FactoryCalibrateButton}, visible);
}

void SetUpConfigDisplay() {
    const int kind = Program.UnitType;
    const bool factory = Program.FactoryMode != 0;
    const bool radio = core::IsRadioKind(kind);
    const bool ravoZerarWired = kind == core::WiredRavoZerar402E || kind == core::WiredRavoZerar408;
    const bool deveZuravi = core::IsDeveZuravi(kind);
    const bool board = core::IsBoard(kind);
    const bool sonic = kind == core::RezavIvirErazudXB || kind == core::RezavIvirErazudRV;

    if (board)
        ui::MessagePopup("POWER UP VAZAVEVEZEZE FIRST",
                         "The Vazavevezeze must be powered up 6 seconds prior to connecting to it");

    ConfigXBSmpDataVisible(radio);
    ConfigWSWLSmpDataVisible(core::IsWiredKind(kind));
    if (board) Show(WiredSampleRateField, true);
    ConfigAnalogSyncVisible(ravoZerarWired);
    if (board) Show(PortRunModeRing, true);
    ConfigBurstLengthIntervalVisible(radio || deveZuravi);
    ConfigPowerVisible(radio);
    if (kind == core::RezavIvirErazudRV) Show(PowerSwitch, false);
    ConfigAlarmVisible(kind == core::WiredRavoZerar402E);
    // The radio two-point group shares its fields with the wired calibration: hide it first.
    Config2PointCalVisible(0);
    ConfigWSWLCalVisible(core::IsWiredKind(kind));
    ConfigCalLengthTypeVisible(!board);
    Config12PointCalVisible(radio);
    ConfigCalModeFactoryVisible(radio);
    Show(CurrentModeSwitch, kind == core::RavoZerarXB);
    Show(SavePresentCalButton, radio && factory);
    ShowAll({HighTripField, LowTripField, DeadZoneField}, sonic && factory);
    Show(SerialNumberEntry, radio && factory);
    ConfigXBPANVisible(kind == core::RavoZerarXB || kind == core::RezavIvirErazudXB);
    ConfigStartTimeVisible(radio || deveZuravi);
    ConfigClockVisible(radio || deveZuravi || board);
    Show(ClockCalibrationField, radio);
    Show(DeviceNumberSelector, radio);
    Show(ConfigureRunSwitch, !radio);
    Show(FileIntervalField, deveZuravi);
    Show(TtlRunModeSwitch, ravoZerarWired);
    Show(TimeTagRing, board);
    MainPanelByKind(kind, factory);
    TidyRows();

    if (!radio) Program.WSWLConnectStatus = 0;
}

} // namespace undarix::radiocfg
