#include "app/Menus.h"

#include "app/Application.h"
#include "app/MainWindow.h"
#include "core/PanelRoles.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/Popups.h"

namespace undarix::app {
namespace {

using namespace core;

// Checked: the panel's text and controls grow and shrink with the window.
void ApplyScaleContents() {
    if (auto* panel = ui::Widget<MainWindow>("MainPanel"))
        panel->SetScaleContents(ui::GetInt(menu::ScaleOnResize) != 0);
}

} // namespace

void ScaleResizeMenu() {
    ui::SetInt(menu::ScaleOnResize, ui::GetInt(menu::ScaleOnResize) ? 0 : 1);
    ApplyScaleContents();
}

void AboutDADE_Interface() {
    ui::MessagePopup("About Undarix",
                     QString("Undarix %1: interface program for wave-measuring field "
                             "instruments.\n2026, the Undarix developers. Free software under "
                             "the GNU GPL, version 3 or later.")
                         .arg(UNDARIX_VERSION));
}

void BindShellMenus() {
    ui::OnCommit(menu::Exit, ExitRavoZerarXB);
    // The checkable menu item has toggled its own check mark when it commits.
    ui::OnCommit(menu::ScaleOnResize, ApplyScaleContents);
    ui::OnCommit(menu::About, AboutDADE_Interface);
}

} // namespace undarix::app
