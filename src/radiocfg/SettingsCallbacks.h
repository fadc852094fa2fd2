#pragma once

// The callbacks of the configuration page's unit settings: device number, serial number,
// sample rate, burst, filter, data format, start time, power, voltage, staff type and length.
// For a radio unit each change sends one command to the configured unit and leaves the
// control dimmed until the unit's echo confirms it; for the wired kinds and the board the
// callbacks hand over to the wired configuration, which rewrites the unit's whole block.

#include "ui/Callbacks.h"
#include "ui/Event.h"

namespace undarix::radiocfg {

void NewDeviceNum(ui::Event event);
void SaveSerialNumber(ui::Event event);
// Format 4 ("ASCII 1 Sample") limits the rate to 8 Hz: a higher rate is sent, and shown, as 8.
void SelSampleRate(ui::Event event);
void SelBurstLength(ui::Event event);
void SelBurstInterval(ui::Event event);
void AntiAliasFilter(ui::Event event);
// "ASCII 1 Sample" above 8 Hz is refused with a pop-up; the ring goes back to the format the
// unit last acknowledged (LastDataFormat).
void SelDataFormat(ui::Event event);
void EnableStartTime(ui::Event event);
// The five start-time fields: an edit marks the field and the write button red; nothing is
// sent until the button is pressed.
void SelStartYear(ui::Event event);
void SelStartMonth(ui::Event event);
void SelStartDay(ui::Event event);
void SelStartHour(ui::Event event);
void SelStartMinute(ui::Event event);
// Sends the start time as the fields show it, at once and without awaiting a reply (a start
// time is never resent); the read-back shows it one minute later.
void WriteStartTime(ui::Event event);
void EnablePower(ui::Event event);
void ReadBattery(ui::Event event);
// The staff type: a Ravo Zerar XB's ring is sent; the other kinds' type follows from the
// sensor (sonic) or the wired record, and the ring snaps back to it.
void SelStaffType(ui::Event event);
// The staff length: sent to a radio unit (for reference only); a wired unit's length waits for
// Set Default Values.
void SelStaffLength(ui::Event event);

// The help of the start-time controls (`StartTimePopup`), which depends on the kind.
[[nodiscard]] ui::HelpText StartTimeHelp();
void StartTimePopup();
// The voltage gauge's help (`BatteryVoltage`): battery or external supply by kind.
[[nodiscard]] ui::HelpText BatteryVoltageHelp();

// Binds the callbacks above and their help.
void BindSettingsCallbacks();

} // namespace undarix::radiocfg
