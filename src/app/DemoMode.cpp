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

#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

namespace undarix::app {
namespace {

std::unique_ptr<sim::Simulator>& Demo() {
    static std::unique_ptr<sim::Simulator> simulator;
    return simulator;
}

std::unique_ptr<QTimer>& ChartStarter() {
    static std::unique_ptr<QTimer> timer;
    return timer;
}

constexpr int kDemoUnits = 3;
constexpr int kDemoTimeScale = 4; // 4 x 16 s

// Once the demo units are heard, puts each on a trace and starts plotting, so the newcomer
// sees the chart move without knowing which numbers to type. Leaves the chart alone once the
// user has started plotting or bound a trace.
bool PutDemoUnitsOnTheChart() {
    if (core::Program.PlottingRunning) return true;
    std::vector<const live::OutputLineRecord*> heard;
    for (const live::OutputLineRecord& record : live::OutputLine)
        if (record.address != 0 && record.deviceNumber != 0) heard.push_back(&record);
    if (int(heard.size()) < kDemoUnits) return false;
    std::sort(heard.begin(), heard.end(),
              [](auto* a, auto* b) { return a->displayRow < b->displayRow; });
    for (int trace = 0; trace < kDemoUnits; ++trace) {
        const std::string role = ui::ArrayItemName(chart::roles::TraceSelectArray, trace);
        if (ui::GetInt(role) != 0) return true;
        ui::SetInt(role, heard[trace]->deviceNumber);
        ui::Dispatch(role, ui::Event::Commit);
    }
    // A minute on the chart: long enough to see a few waves and the blocks join up.
    ui::SetInt(chart::roles::RawPlotXAsis, kDemoTimeScale);
    ui::Dispatch(chart::roles::RawPlotXAsis, ui::Event::Commit);
    ui::SetInt(chart::roles::RawStartStop, 1);
    ui::Dispatch(chart::roles::RawStartStop, ui::Event::Commit);
    return true;
}

void StartChartWhenUnitsAreHeard() {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(500);
    int attempts = 0;
    QObject::connect(timer.get(), &QTimer::timeout, [attempts]() mutable {
        if (PutDemoUnitsOnTheChart() || ++attempts > 120) ChartStarter()->stop();
    });
    timer->start();
    ChartStarter() = std::move(timer);
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
    StartChartWhenUnitsAreHeard();
    ui::ShowStatus(QString("Demo mode: simulated units on %1").arg(path));
    return true;
}

void StopDemo() {
    ChartStarter().reset();
    Demo().reset();
}

QString DemoPortPath() {
    return Demo() ? QString::fromStdString(Demo()->SlavePath()) : QString();
}

sim::Simulator* DemoSimulator() {
    return Demo().get();
}

} // namespace undarix::app
