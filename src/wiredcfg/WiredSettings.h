#pragma once

// The wired side of settings whose controls the radio units share (burst, start time, staff
// type and length, device number, gain and offset, the two-point calibration values). Each
// function is the whole work of its callback for the wired kinds 3 to 6 and, where it says so,
// the board (7): the callback branches here for those kinds.

#include "ui/Role.h"

namespace undarix::wiredcfg {

// `SelBurstLength`, `SelBurstInterval` (commit): the field into `BurstLength` or
// `BurstInterval`, the Deve Zuravi set-clock request cleared, the block sent.
void WiredBurstLength();
void WiredBurstInterval();
// `EnableStartTime` (commit): the start-time switch into mode flag bit 5, the block sent.
void WiredEnableStartTime();
// `WriteStartTime` (commit): the five start-time fields into the start time, the block sent;
// their red marks cleared and the fields dimmed until the read-back.
void WiredWriteStartTime();
// `SelStaffType` (commit, kinds 3 to 7): the ring goes back to the type the staff length
// gives; nothing is sent.
void WiredStaffType();
// `SelStaffLength` (commit): the new length waits for Set Default Values; the field's text
// and that button are marked red.
void WiredStaffLengthEdited();
// `NewDeviceNum` (commit, kinds 3 to 7): a wired unit keeps device number 1.
void WiredNewDeviceNum();
// `SelCalGain`, `SelCalOffset` (any event, kinds 3 to 7): display only; the fields go back to
// the record's gain and offset.
void WiredGainOffsetDisplayOnly();
// `SelLowCalPt`, `SetHighCalPt`, `SetLowReading`, `SetHighReading` (commit): the edited
// field's text and the Calibrate button are marked red until Calibrate is pressed.
void WiredCalValueEdited(ui::Role field);

} // namespace undarix::wiredcfg
