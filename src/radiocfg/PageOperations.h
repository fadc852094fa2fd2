#pragma once

// Operations on the configuration page as a whole, shared by the radio session and the wired
// configuration (which reach them through core::hooks).

namespace undarix::radiocfg {

// Dims every setting control and command button of the page, radio and wired alike. The
// unit choosers (device number, network address, re-scan), the Configure/Run switch and the
// factory button stay usable: a dimmed setting means a value the unit has not confirmed.
void DimAllConfig();
// Puts the same controls (and the network address) back to their defaults, the date and time
// fields back to black, and the red marks of the write-start-time, set-clock and wired
// calibrate buttons away.
void DefaultAllConfig();
// The unit choosers and the connection status back to "nothing chosen".
void ConfigConnectDefault();

// The items and values of the page's rings, which a layout file cannot carry.
void FillConfigRings();

} // namespace undarix::radiocfg
