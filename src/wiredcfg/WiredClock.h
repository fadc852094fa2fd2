#pragma once

// The clock buttons of the configuration page for wired units and the board. A Deve Zuravi's
// clock is set by a block that carries it with the set-clock request (mode flag bit 3); the
// board takes "s" and a clock line. Each function is the whole commit work of its button for
// the kinds 3 to 7: the clock callbacks branch here for those kinds.

namespace undarix::wiredcfg {

// `SetClock`: the six clock fields into the unit's clock.
void WiredSetClock();
// `ReadClock`: the page cleared and the configuration read again ("r" to a wired unit).
void WiredReadClock();
// `SyncToPC`: the unit's clock set to the PC's at the start of a second.
void WiredSyncToPC();
// `CompClock`: the unit read again and its clock compared with the PC's on the page.
void WiredCompClock();

} // namespace undarix::wiredcfg
