#pragma once

// Staff length, counter prescale and the two-point calibration of wired Ravo Zerars and Deve
// Zuravis. A new staff length brings the default gain and offset; a calibration computes a
// new gain and offset from two test points and the readings taken at them.

#include "ui/Callbacks.h"
#include "ui/Event.h"

namespace undarix::wiredcfg {

// The prescale bytes of the table row with exactly `StaffLength` (whole millimetres); a length
// with no row leaves them as they are (`SetCounterPrescale`).
void SetCounterPrescale();
// `StaffLength` from the prescale bytes, 0 when they select no row (`SetWSWLStaffLength`).
void SetWSWLStaffLength();

// The Set Default Values button (`SetDefaultValues`). The length is checked before anything
// changes: over 15 m on kinds 4 and 6, or not in the kind's table, it is refused with a
// "STAFF LENGTH" message. Otherwise, once confirmed, gain 4096 and the kind's default offset
// go out with the new length.
void SetDefaultValues(ui::Event event);
// The Calibrate button (`WSWLCalibrate`). Equal test points, equal readings, no staff length,
// or a result the unit cannot hold are refused with a "CALIBRATION" message; nothing is sent.
void WSWLCalibrate(ui::Event event);

// The help of the wired calibration (`WSWLCalibrationPopUp`), and its text.
void WSWLCalibrationPopUp();
[[nodiscard]] ui::HelpText WSWLCalibrationHelp();

void BindCalibration();

} // namespace undarix::wiredcfg
