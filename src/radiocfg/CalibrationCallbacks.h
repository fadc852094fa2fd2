#pragma once

// Calibration of radio units from the configuration page: the sensor current mode, the
// multi-point table (set, clear a point, clear all), the older two-point automatic calibration
// with its gain and offset, the factory values, and the sonic trip points and dead zone. The
// unit does the arithmetic; after each change the program reads back what the unit reports.
// The fields the wired two-point calibration shares hand over to it for the wired kinds.

#include "ui/Callbacks.h"
#include "ui/Event.h"

namespace undarix::radiocfg {

// A new current mode is sent, and the staff and calibration of its set read again.
void SelCurrentMode(ui::Event event);
// After the "FACTORY VALUES?" question: the factory calibration restored and read again.
void SelCalFactory(ui::Event event);
void SaveFactoryValue(ui::Event event);
// The Set and Clear buttons of a calibration point at the calibrate-meters height.
void CalSetMeters(ui::Event event);
void CalClearPoint(ui::Event event);
// After the "CLEAR ALL CALIBRAITIONS POINTS?" question: every point of the set cleared.
void CalClearAll(ui::Event event);
// The calibrate-meters field and the points table: help only.
void CalPointMeters(ui::Event event);
void CalTable(ui::Event event);
// The two-point automatic calibration: Auto Low sends the low height; Auto High the high one,
// after which the unit's new gain and offset are read back.
void SetAutoCalLow(ui::Event event);
void SetAutoCalHigh(ui::Event event);
// Gain and offset written by hand (radio); display only for the wired kinds.
void SelCalGain(ui::Event event);
void SelCalOffset(ui::Event event);
// The reference heights and readings: an edit is marked red until it is sent.
void SelLowCalPt(ui::Event event);
void SetHighCalPt(ui::Event event);
void SetLowReading(ui::Event event);
void SetHighReading(ui::Event event);
// The sonic sensor's trip points and dead zone (factory mode).
void HighTrip_mV(ui::Event event);
void LowTrip_mV(ui::Event event);
void DeadZone_mm(ui::Event event);

// The calibration help of the radio page (`CalibrationPopUp`): multiple points or two points,
// by the unit's calibration style.
[[nodiscard]] ui::HelpText CalibrationHelp();
void CalibrationPopUp();

void BindCalibrationCallbacks();

} // namespace undarix::radiocfg
