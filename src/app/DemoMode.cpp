#include "app/DemoMode.h"

#include "link/PortSelection.h"
#include "link/SerialPort.h"
#include "live/PanelRoles.h"
#include "live/ProgramState.h"
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

sim::SimOptions DemoOptions() {
    sim::SimOptions options;
    options.kind = 0;
    options.units = 3;
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
    live::Program.UnitType = kind;
    ui::SetInt(live::mainpanel::UnitTypeRing, kind);
    const int port = link::PortNumberForPath(path);
    ui::SetInt(live::mainpanel::ComPortList, port);
    ui::Dispatch(live::mainpanel::ComPortList, ui::Event::Commit);
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
