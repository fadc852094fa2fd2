#pragma once

// Start-up, the main panel's life and the end of the program.

#include "app/MainWindow.h"

#include <QStringList>

#include <memory>

namespace undarix::app {

struct StartOptions {
    QStringList extraPorts; // --port PATH, repeatable
};

// Loads the main panel and prepares the program, in the start-up order: size and place the
// panel from the screen, list the ports, bind the device table and the tab pages, wire the
// subsystems, Initialize. The panel is not shown yet.
std::unique_ptr<MainWindow> LoadMainPanel(const StartOptions& options);

// The program's start values, set once before the panel is shown.
void Initialize();

// Closing, from the panel's close event and the Exit menu item: playback file, data file,
// capture file, then the event loop ends.
// While data are being saved, the user is asked before the program ends: false to stay.
[[nodiscard]] bool MayExitNow();
void panelCB();
void ExitRavoZerarXB();

// After the event loop: a wired unit or board still on its port is set running again.
void SendRunToWiredUnit();

// main: parses the command line, starts, runs and ends the program. Returns 0.
int RunUndarix(int argc, char** argv);

// Every subsystem's state back to the start values and every control forgotten (tests).
void ResetAll();

} // namespace undarix::app
