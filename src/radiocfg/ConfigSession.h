#pragma once

// The configuration session binds the page to one radio unit: it opens the unit with "WZ,2",
// reads every setting one command at a time, then stays connected for single writes. The
// session timer drives it; the reply parser moves it on by clearing TxWait.
//
// ConfigStatus: 0 no unit ("Not Connected"), 1 a unit was chosen, 2 reading, 3 connected and
// idle. Limits are counted in ticks of the session timer.

namespace undarix::radiocfg {

// The session timer's period.
inline constexpr double kConfigTimerSeconds = 0.1;
// A read reply is overdue after this many ticks; six resends, then the session ends.
inline constexpr int kReadReplyTicks = 12;
inline constexpr int kReadResends = 6;
// In the idle state an unanswered write is resent after this many ticks, six times at most.
inline constexpr int kWriteReplyTicks = 42;
inline constexpr int kWriteResends = 6;

// One tick of the session timer.
void ConfigTimer();

// Sends one command of the read sequence: mode 1 the first, 0 the next, -1 the present one
// again. After the last one of the unit's kind the session becomes idle (state 3).
void ReadAllConfigInfo(int mode);

} // namespace undarix::radiocfg
