#pragma once

// The unit clock on the configuration page: six date and time fields and the Set, Read, Sync
// and Compare buttons, for radio units through the unit language, for wired units and the
// board through the wired configuration; and a radio unit's clock calibration value.

#include "ui/Callbacks.h"
#include "ui/Event.h"

namespace undarix::radiocfg {

// The six clock fields: an edit marks the field and the Set button red until it is sent.
void SetYear(ui::Event event);
void SetMonth(ui::Event event);
void SetDay(ui::Event event);
void SetHour(ui::Event event);
void SetMinute(ui::Event event);
void SetSecond(ui::Event event);
// The unit's clock set to the fields.
void SetClock(ui::Event event);
void ReadClock(ui::Event event);
// The unit's clock set to the PC's, sent at the start of a second.
void SyncToPC(ui::Event event);
// The unit's clock minus the PC's, shown when the unit's reply arrives.
void CompClock(ui::Event event);
// The real-time-clock calibration value of a radio unit.
void RtcCal(ui::Event event);

// The help of the clock fields (`DateAndTimePopUp`).
[[nodiscard]] ui::HelpText DateAndTimeHelp();
void DateAndTimePopUp();

void BindClockCallbacks();

} // namespace undarix::radiocfg
