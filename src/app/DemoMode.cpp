#include "app/DemoMode.h"

#include "chart/PlotPageRoles.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/PortSelection.h"
#include "link/SerialPort.h"
#include "live/DeviceTable.h"
#include "sim/Simulator.h"
#include "ui/ControlRegistry.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <memory>

namespace undarix::app {
namespace {

std::unique_ptr<sim::Simulator>& Demo() {
    static std::unique_ptr<sim::Simulator> simulator;
    return simulator;
}

constexpr int kDemoUnits = 3;
constexpr int kDemoTimeScale = 4; // 4 x 16 s

// Plotting starts at once; the chart's "Bind new units to free traces" puts each unit on a
// trace as it is heard, so the newcomer sees the first unit within a second rather than
// waiting for the slowest one.
void StartPlottingTheDemo() {
    // A minute on the chart: long enough to see a few waves and the blocks join up.
    ui::SetInt(chart::roles::RawPlotXAsis, kDemoTimeScale);
    ui::Dispatch(chart::roles::RawPlotXAsis, ui::Event::Commit);
    ui::SetInt(chart::roles::RawStartStop, 1);
    ui::Dispatch(chart::roles::RawStartStop, ui::Event::Commit);
}

sim::SimOptions DemoOptions() {
    sim::SimOptions options;
    options.kind = 0;
    options.units = kDemoUnits;
    options.formats = "AIC"; // a 32-sample, a 64-sample and a one-sample unit
    options.rate = 8;
    options.wave.hm0 = 1.2;
    options.wave.tp = 7.0;
    return options;
}

} // namespace

int OpenSimulatedPort(const sim::Simulator& simulator, const QString& label) {
    const QString path = QString::fromStdString(simulator.SlavePath());
    link::AddExtraPortPath(path, label);
    link::GetComPortList();
    link::GetComPortOutPutList();
    const int kind = simulator.Kind();
    core::Program.UnitType = kind;
    ui::SetInt(core::mainpanel::UnitTypeRing, kind);
    const int port = link::PortNumberForPath(path);
    ui::SetInt(core::mainpanel::ComPortList, port);
    ui::Dispatch(core::mainpanel::ComPortList, ui::Event::Commit);
    return port;
}

bool StartDemo() {
    StopDemo();
    auto simulator = std::make_unique<sim::Simulator>(DemoOptions());
    if (!simulator->Start()) {
        ui::ShowStatus(QString("Demo mode: %1").arg(QString::fromStdString(simulator->Error())));
        return false;
    }
    const QString path = QString::fromStdString(simulator->SlavePath());
    Demo() = std::move(simulator);
    OpenSimulatedPort(*Demo(), kDemoPortLabel);
    live::RefreshEmptyTableHint(); // at once, not at the hint's next check: a port is open
    StartPlottingTheDemo();
    ui::ShowStatus(QString("Demo mode: simulated units on %1").arg(path));
    return true;
}

void StopDemo() {
    Demo().reset();
}

QString DemoPortPath() {
    return Demo() ? QString::fromStdString(Demo()->SlavePath()) : QString();
}

sim::Simulator* DemoSimulator() {
    return Demo().get();
}

} // namespace undarix::app
