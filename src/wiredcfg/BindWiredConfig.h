#pragma once

// Binds the wired configuration to the panel: its two timers, the Configure / Run switch, the
// block settings, the calibration buttons and the board's staff-length table.

namespace undarix::wiredcfg {

void BindWiredConfig();

} // namespace undarix::wiredcfg
