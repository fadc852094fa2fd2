#pragma once

// The configuration page's cycle for wired units and the board: cleared when the hand-shake
// starts over, filled once the unit's configuration has been read, and cleared again when the
// user returns to Run.

#include "ui/Event.h"

namespace undarix::wiredcfg {

// Tick period. The page waits 50 ticks (25 s) for a wired unit's block and 30 (15 s) for the
// board's report, several hand-shakes' worth, before asking for a new connection.
inline constexpr double kConfigTimerPeriod = 0.5;

// One tick (`WLWSConfigTimer`); does nothing outside the configure mode.
void WLWSConfigTimer();

// The Configure / Run switch (`WSWLConfigRunSelect`).
void WSWLConfigRunSelect(ui::Event event);

// The page's connection text "Not Connected" in red and the connected indicator hidden.
void ShowPageNotConnected();
// Dims and defaults every configuration control, as the radio session does.
void DimAndDefaultPage();

} // namespace undarix::wiredcfg
