#include "app/Wiring.h"

#include "analysis/Analysis.h"
#include "app/FactoryMode.h"
#include "app/Menus.h"
#include "link/PortSelection.h"
#include "live/DeviceTable.h"
#include "live/PanelRoles.h"
#include "ui/Callbacks.h"
#include "ui/Timers.h"

#include <QCommandLineParser>

namespace undarix::app {

void WireSubsystems() {
    using namespace live;
    // The panel's timers exist from the start, doing nothing until their subsystem binds them.
    for (ui::Role timerRole : {timer::DeviceDisplay, timer::Config, timer::WiredConnect,
                               timer::WiredConfig, timer::ReadFile, timer::FileInterval})
        ui::CreateTimer(timerRole, 1.0, [] {});

    BindShellMenus();
    BindDeviceTableHelp();
    link::BindPortSelection();
    ui::OnEvent(configpage::FactoryButton, FACTCTR);
    ui::SetHelpProvider(configpage::FactoryButton, [] { return std::optional<ui::HelpText>(); });
    analysis::BindAnalysis(); // after the shell menus: it takes over the print items
}

void InitializeSubsystems() {
    analysis::InitializeAnalysis();
}

void ResetSubsystems() {
    analysis::ResetAnalysis();
}

void AddApplicationOptions(QCommandLineParser&) {}

void ApplyApplicationOptions(const QCommandLineParser&) {}

void ClosePlaybackFile() {}
void CloseDataFile() {}
void CloseCaptureFile() {}

} // namespace undarix::app
