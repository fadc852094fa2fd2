#pragma once

// Demo mode (--demo): the unit simulator runs inside the program on a pseudo-terminal, with
// three radio units of mixed data formats; its port is listed as "Simulated units (demo)",
// selected and opened, so live units show up without any instrument.

#include <QString>

namespace undarix::sim {
class Simulator;
}

namespace undarix::app {

inline constexpr const char* kDemoPortLabel = "Simulated units (demo)";

// Lists a running simulator's port under `label` in both port lists, sets the unit kind to
// the simulator's, selects the port and opens it as the user would. Returns its number.
// End-to-end tests open their own simulators with it.
int OpenSimulatedPort(const sim::Simulator& simulator, const QString& label);

// Starts the simulator and opens its port. False (and a status message) when the
// pseudo-terminal cannot be made.
bool StartDemo();
// Ends the simulator, if it runs.
void StopDemo();
// The demo port's device path, empty when demo mode is off.
[[nodiscard]] QString DemoPortPath();
// The running simulator, or null (tests inspect and steer it).
[[nodiscard]] sim::Simulator* DemoSimulator();

} // namespace undarix::app
