#include "radiocfg/BindRadioConfig.h"

#include "core/ConfigPageRoles.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/PanId.h"
#include "radiocfg/CalibrationCallbacks.h"
#include "radiocfg/ClockCallbacks.h"
#include "radiocfg/ConfigDisplay.h"
#include "radiocfg/ConfigSession.h"
#include "radiocfg/PageOperations.h"
#include "radiocfg/SettingsCallbacks.h"
#include "radiocfg/UnitSelection.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/StraySteps.h"
#include "ui/Timers.h"
#include "ui/widgets/HexField.h"

namespace undarix::radiocfg {
namespace {

using namespace core::configpage;
namespace mainpanel = core::mainpanel;

const char* const kDeviceNumberHelp =
    "To configure a Ravo Zerar or Rezav Ivir Erazud select a device \n"
    "number from the displayed Device Status Number.\n\n"
    "The unit's whole configuration is then read and shown on this page.\n"
    "Changing a value on this page sends it to the selected unit at once.\n"
    "When finished set the device number back to zero.\n\n"
    "After using the configuration page it takes several minutes for all\n"
    "XB units to re-synchronise.";

const char* const kNetworkAddressHelp =
    "To configure a XB Unit enter the units Network\n"
    "Address using hexadecimal Characters (0..9 & A..F).  When \n"
    "finished set the device number to zero";

const char* const kReScanHelp = "The Units configuration will be re-uploaded and displayed. This\n"
                                "is needed only if an incomplete configuration upload occurred.\n"
                                "The computer may have been busy running other programs etc.";

const char* const kRavoZerarTypeHelp = "Note to display sample data:\n"
                                       "The Serial Output must be configured to on.\n"
                                       "The Select Com Port Run Mode must be set to Free";

} // namespace

void BindRadioConfig() {
    ui::CreateTimer(core::timer::Config, kConfigTimerSeconds, ConfigTimer);
    FillConfigRings();
    if (auto* address = ui::Widget<ui::HexField>(NetworkAddressField)) address->setPadded(true);

    ui::OnEvent(DeviceNumberSelector, SelectDeviceNum);
    ui::OnEvent(NetworkAddressField, NetworkAddress);
    ui::OnEvent(ReScanButton, ReScanAll);
    ui::OnEvent(mainpanel::UnitTypeRing, SetUnitType);
    ui::SetHelp(DeviceNumberSelector, "SELECT DEVICE TO CONFIGURE", kDeviceNumberHelp);
    ui::SetHelp(NetworkAddressField, "SELECT NETWORK ADDRESS TO CONFIGURE", kNetworkAddressHelp);
    ui::SetHelp(ReScanButton, "RE-SCAN", kReScanHelp);
    ui::SetHelpProvider(mainpanel::UnitTypeRing, []() -> std::optional<ui::HelpText> {
        if (core::Program.UnitType != 3) return std::nullopt;
        return ui::HelpText{"RAVO ZERAR TYPE", kRavoZerarTypeHelp};
    });
    // Scrolling the page must not step from unit to unit.
    ui::PreventStrayCommits({DeviceNumberSelector});
    link::BindPanId();
    BindSettingsCallbacks();
    BindClockCallbacks();
    BindCalibrationCallbacks();
}

void InitializeRadioConfig() {
    SetUpConfigDisplay();
    DimAllConfig();
    ConfigConnectDefault();
}

} // namespace undarix::radiocfg
