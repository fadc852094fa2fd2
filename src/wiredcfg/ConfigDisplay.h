#pragma once

// Filling the configuration page from what a wired unit or the board reported: the block of a
// Ravo Zerar (checksum checked) or Deve Zuravi (decoded whatever its checksum), or the board's
// report and clock line.

namespace undarix::wiredcfg {

// Decodes the block last received and fills the page by unit kind (`SetWSWLConfigDisplay`).
// After a calibration write, a gain or offset the unit did not take raises the
// "CALIBRATION ERROR" pop-up before the unit's values are shown.
void SetWSWLConfigDisplay();

// Staff type shown for a wired unit: 1 (rod) for staffs up to 5 m on kinds 3 and 5, otherwise
// 2 (cable).
[[nodiscard]] int StaffTypeFor(int unitType, float staffLengthMm);

// The clock-difference read-out after a Compare: the unit's clock (the record's clock fields)
// minus the PC's, plus the second the unit's reading stands for, "%4.0f" seconds. Clears
// `WLDeltaRTC`.
void ShowClockDifference();

} // namespace undarix::wiredcfg
