#pragma once

// What the setting callbacks of the configuration page share: the single write of a value to
// the configured radio unit, the edit marking of typed fields, and the current mode that picks
// a calibration set.

#include "radiocfg/codec/UnitCommand.h"
#include "ui/Event.h"
#include "ui/Role.h"

#include <cstdint>
#include <initializer_list>

namespace undarix::radiocfg {

// Whether a write has a unit to go to. With no unit configured (ConfigDeviceAddr 0) a write
// would go to address 0: nothing is sent, the status bar says why, and false comes back.
[[nodiscard]] bool UnitToWrite();

// The common write of one setting: dim the control, wait 0.1 s, send the command to the
// configured unit and await its acknowledge. The control stays dimmed until the echo confirms
// the value. With no unit configured the control is dimmed and nothing is sent. Returns whether
// the command went out.
bool WriteSetting(ui::Role control, const codec::CommandLine& line);

// Edit marking while a value is typed: a key press colours the field red and shows the main
// panel's edit hint; losing the focus puts `restColor` back and hides the hint. Returns true
// when the event was one of these two.
bool MarkEdit(ui::Role field, ui::Event event, std::uint32_t restColor);
// The edit is over (committed): the field's rest colour back, the hint hidden.
void EndEdit(ui::Role field, std::uint32_t restColor);

// The current mode whose calibration set a write addresses: the current-mode switch for a
// Ravo Zerar XB; always 1 for the sonic kinds, which have one set only.
[[nodiscard]] int WriteCurrentMode();

} // namespace undarix::radiocfg
