#pragma once

// The wired connection timer: the hand-shake of wired Ravo Zerars and Deve Zuravis ("s" "t",
// "i", "r", "g") and the board's wake-up, report and clock read, whose replies the receive
// path recognises; it also declares the unit lost when its data stop.

namespace undarix::wiredcfg {

// Tick period. A reply is given up after more than 3 ticks (1.5 to 2 s, where the longest
// reply, "ROK," and the block, takes 0.15 s at 9600 baud); a running unit is lost after 5
// ticks without a byte (2.0 to 2.5 s), well beyond the gap between the lines of a 1 Hz unit
// even when they arrive late or early, and still within 3 s of a real loss.
inline constexpr double kConnectTimerPeriod = 0.5;

// One tick (`WSWLDeviceConnectTimer`).
void WSWLDeviceConnectTimer();

} // namespace undarix::wiredcfg
