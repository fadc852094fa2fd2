#include "app/Wiring.h"

#include "app/DemoMode.h"
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
}

void InitializeSubsystems() {}

void ResetSubsystems() {
    StopDemo();
}

namespace {
const QCommandLineOption& DemoOption() {
    static const QCommandLineOption option(
        "demo", "Start with simulated radio units on a pseudo-terminal, selected and open.");
    return option;
}
} // namespace

void AddApplicationOptions(QCommandLineParser& parser) {
    parser.addOption(DemoOption());
}

void ApplyApplicationOptions(const QCommandLineParser& parser) {
    if (parser.isSet(DemoOption())) StartDemo();
}

void ClosePlaybackFile() {}
void CloseDataFile() {}
void CloseCaptureFile() {}

} // namespace undarix::app
