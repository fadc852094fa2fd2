#include "radiocfg/SettingWrite.h"

#include "core/ConfigPageRoles.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "radiocfg/UnitCommandSender.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

namespace undarix::radiocfg {
namespace {

using core::Program;

} // namespace

bool UnitToWrite() {
    if (Program.ConfigDeviceAddr != 0) return true;
    ui::ShowStatus("No unit is being configured: choose one by its device number or network "
                   "address first");
    return false;
}

bool WriteSetting(ui::Role control, const codec::CommandLine& line) {
    ui::SetDimmed(control, true);
    if (!UnitToWrite()) return false;
    SendUnitSetting(line);
    return true;
}

bool MarkEdit(ui::Role field, ui::Event event, std::uint32_t restColor) {
    if (event == ui::Event::KeyPress) {
        ui::SetTextColor(field, ui::kRed);
        ui::SetVisible(core::mainpanel::EditHint, true);
        return true;
    }
    if (event == ui::Event::LostFocus) {
        EndEdit(field, restColor);
        return true;
    }
    return false;
}

void EndEdit(ui::Role field, std::uint32_t restColor) {
    ui::SetTextColor(field, restColor);
    ui::SetVisible(core::mainpanel::EditHint, false);
}

int WriteCurrentMode() {
    if (Program.UnitType != core::RavoZerarXB) return 1;
    return ui::GetInt(core::configpage::CurrentModeSwitch);
}

} // namespace undarix::radiocfg
