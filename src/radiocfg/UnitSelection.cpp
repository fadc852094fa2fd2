#include "radiocfg/UnitSelection.h"

#include "core/ConfigPageRoles.h"
#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/PortSelection.h"
#include "live/DeviceTable.h"
#include "radiocfg/ConfigDisplay.h"
#include "radiocfg/PageOperations.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"
#include "ui/Timers.h"

namespace undarix::radiocfg {
namespace {

using namespace core::configpage;
namespace mainpanel = core::mainpanel;
using core::Program;

constexpr int kNoUnit = 0;
constexpr int kUnitChosen = 1;
constexpr int kRedraw = 255;

// While a chooser is being typed into, its text is red and the main panel's hint shows.
bool EditMarking(ui::Role role, ui::Event event) {
    if (event == ui::Event::KeyPress) {
        ui::SetTextColor(role, ui::kRed);
        ui::SetVisible(mainpanel::EditHint, true);
        return true;
    }
    if (event == ui::Event::LostFocus) {
        ui::SetTextColor(role, ui::kBlack);
        ui::SetVisible(mainpanel::EditHint, false);
        return true;
    }
    return false;
}

std::uint64_t AddressOfDevice(int deviceNumber) {
    for (const live::OutputLineRecord& record : live::OutputLine)
        if (record.address != 0 && record.deviceNumber == deviceNumber) return record.address;
    return 0;
}

} // namespace

void SelectDeviceNum(ui::Event event) {
    if (EditMarking(DeviceNumberSelector, event) || event != ui::Event::Commit) return;
    const int number = ui::GetInt(DeviceNumberSelector) & 0xFF;
    Program.ConfigStatus = kNoUnit;
    Program.LastConfigStatus = kRedraw;
    if (number != 0) {
        Program.ConfigDeviceAddr = AddressOfDevice(number);
        if (Program.ConfigDeviceAddr != 0) Program.ConfigStatus = kUnitChosen;
        DimAllConfig();
        DefaultAllConfig();
        ui::SetTextColor(DeviceNumberSelector, ui::kBlack);
        ui::SetInt(DeviceNumberSelector, number);
    }
    ui::SetVisible(mainpanel::EditHint, false);
}

void NetworkAddress(ui::Event event) {
    if (EditMarking(NetworkAddressField, event) || event != ui::Event::Commit) return;
    Program.ConfigDeviceAddr = ui::GetU64(NetworkAddressField);
    DimAllConfig();
    DefaultAllConfig();
    Program.LastConfigStatus = kRedraw;
    Program.ConfigStatus = kUnitChosen;
    ui::SetTextColor(NetworkAddressField, ui::kBlack);
    ui::SetVisible(mainpanel::EditHint, false);
}

void ReScanAll(ui::Event event) {
    if (event != ui::Event::Commit) return;
    Program.ConfigDeviceAddr = ui::GetU64(NetworkAddressField);
    DimAllConfig();
    DefaultAllConfig();
    if (!core::IsRadioKind(Program.UnitType)) {
        Program.LastConfigStatus = kNoUnit;
        Program.ConfigStatus = kUnitChosen;
        Program.WSWLConnectStatus = 0;
        return;
    }
    if (Program.ConfigDeviceAddr == 0) {
        // No unit to read: say so rather than time out talking to nobody.
        Program.ConfigStatus = kNoUnit;
        Program.LastConfigStatus = kRedraw;
        ui::ShowStatus("Choose a unit by its device number or network address first");
        return;
    }
    Program.LastConfigStatus = kNoUnit;
    Program.ConfigStatus = kUnitChosen;
}

void SetUnitType(ui::Event event) {
    if (event != ui::Event::Commit) return;
    live::ClearAllOutputLines();
    core::CallHook(core::hooks.ChartReset);
    DimAllConfig();
    DefaultAllConfig(); // no value of the old kind's unit stays on the page
    ConfigConnectDefault();
    for (ui::Role timer : {core::timer::DeviceDisplay, core::timer::Config,
                           core::timer::WiredConnect, core::timer::WiredConfig})
        ui::SetTimerEnabled(timer, false);
    // The session of the old kind ends with it.
    Program.ConfigStatus = kNoUnit;
    Program.ConfigDeviceAddr = 0;
    Program.TxWait = 0;
    Program.UnitType = ui::GetInt(mainpanel::UnitTypeRing);
    SetUpConfigDisplay();
    link::CloseUnitPort();
    ui::SetText(mainpanel::ConnectionText, "Not Connected");
    ui::SetTextColor(mainpanel::ConnectionText, ui::kRed);
}

} // namespace undarix::radiocfg
