#pragma once

namespace undarix::radiocfg {

// Binds the session timer, the unit choosers, the unit-kind ring, the PAN ID controls, the
// settings, clock and calibration controls and their help, and fills the page's rings.
void BindRadioConfig();

// The page as it starts: the controls of the first kind, all dimmed, nothing chosen.
void InitializeRadioConfig();

} // namespace undarix::radiocfg
