#pragma once

// The main panel's staff-length table of the Vazavevezeze board (rows 1 to 8, meters, one row
// per staff, read by the receive path at every data line) and the wired unit's staff-length
// display beside it.

namespace undarix::wiredcfg {

// Help of the table (`SyncLengthTable`) and of the staff-length display (`WSWLStaffLength`).
void BindBoardStaffTable();

} // namespace undarix::wiredcfg
