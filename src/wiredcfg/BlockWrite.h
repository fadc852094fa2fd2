#pragma once

// Writing a wired unit's configuration: "w" and the whole block rebuilt from the record. The
// write restarts the hand-shake, so the unit is read again and the page shows what it holds.

#include "core/codec/WiredConfigRecord.h"

namespace undarix::wiredcfg {

// Sends the record to a wired Ravo Zerar or Deve Zuravi (`TxWSAllConfig`); the board and the
// radio kinds: nothing. Blocks for the waits the units need (0.7 to 0.8 s, and up to a second
// more while the PC clock is taken).
void TxWSAllConfig();

// Puts the PC's date and time, at the first instant of a new second, into the clock fields.
void CapturePCClock(core::WiredConfigRecord& record);

// Deve Zuravi kinds: bit 3 of the mode flags asks the unit to set its clock from the block;
// only the clock writes set it. No effect on other kinds.
void ClearSetClockRequest();
void SetSetClockRequest();

} // namespace undarix::wiredcfg
