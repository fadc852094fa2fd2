#pragma once

// The settings of the configuration page that a wired unit takes as a rewrite of its whole
// block, and the three the board takes as text commands ("f", "m", "t"). Each acts on the
// commit event; the control stays dimmed until the read-back redraws the page.

#include "ui/Event.h"

namespace undarix::wiredcfg {

// Wired sample rate; the board: "f" and the rate.
void WSWLRate(ui::Event event);
// Comm-port run mode (mode flag bit 6); the board: "m" and "command" or "freerun".
void WSWLRunMode(ui::Event event);
// TTL run mode (bit 7); nothing for the board.
void WSTTLRunMode(ui::Event event);
// Analog output (bit 5).
void WSAnalogOut(ui::Event event);
// Serial output (bit 1).
void WSWLSerialOut(ui::Event event);
// Air temperature sampled and output (bit 4).
void WSWLAirTempCtrl(ui::Event event);
// Data format: always back to ASCII (bit 0 cleared), the only format this program reads.
void WSWLBinFormat(ui::Event event);
// Alarm switches (alarm flags bits 1 and 2; bit 0 follows either) and levels (meters).
void Alarm1Enable(ui::Event event);
void Alarm2Enable(ui::Event event);
void Alarm1On(ui::Event event);
void Alarm1Off(ui::Event event);
void Alarm2On(ui::Event event);
void Alarm2Off(ui::Event event);
// Deve Zuravi file interval (days).
void SelFileInterval(ui::Event event);
// The board's time tag: "t" and "min", "hour", "day" or "none", whatever the unit kind.
void WSSyncTimeTag(ui::Event event);

// Binds the callbacks and help texts above.
void BindBlockSetters();

} // namespace undarix::wiredcfg
