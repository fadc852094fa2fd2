#pragma once

// The zero/absolute switch of each table row: with it on, a unit's values are shown, charted,
// logged and streamed relative to the value shown when the switch was pressed.

#include "ui/Event.h"

namespace undarix::live {

// Callbacks of the switches of rows 0 to 7.
void ZeroDisplay1(ui::Event event);
void ZeroDisplay2(ui::Event event);
void ZeroDisplay3(ui::Event event);
void ZeroDisplay4(ui::Event event);
void ZeroDisplay5(ui::Event event);
void ZeroDisplay6(ui::Event event);
void ZeroDisplay7(ui::Event event);
void ZeroDisplay8(ui::Event event);

// Applies the switch of a row to the unit shown in it; an empty row changes nothing.
void ZeroAbsSwUpDate(int row);

void BindZeroDisplay();

} // namespace undarix::live
