#pragma once

// A setting written from the command line goes into the configuration page's controls and is
// committed there, exactly as a user of the window would: the page's own callbacks format,
// send and resend the command. Radio and wired units share the page's date and clock fields.

#include "ui/Controls.h"

#include <vector>

namespace undarix::cli {

// How a setting's value is given and put on the page.
enum class SettingForm { Int, Real, StartTime, Clock };

struct PageSetting {
    SettingForm form;
    ui::Role value;  // the control the value goes into (unused for dates and the clock)
    ui::Role commit; // the control whose commit sends it
};

// Puts `number` (or the date and time `fields`, year first) into the page and commits it;
// `clockFromPc` sets the unit's clock from the PC's instead.
void CommitOnPage(const PageSetting& setting, double number, const std::vector<int>& fields,
                  bool clockFromPc);

} // namespace undarix::cli
