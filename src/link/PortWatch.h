#pragma once

// The watch over the unit port: a port that goes away while open (the USB adapter pulled, the
// cable's far end gone) is shown at once (the port LED turns red, the status line names the
// port and the time) and let go, so nothing spins on it; every few seconds the same port is
// tried again (the same path, or the same USB adapter wherever it came back), and when it
// answers it is opened with the same settings, given what opening gives its kind (the
// adapter's PAN ID asked for, the wired hand-shake or the board's wake-up done again), and
// logging goes on into the same files. The status line then says "reconnected" and how long
// the gap was.

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>

#include <cstdint>

namespace undarix::link {

// Seconds between two tries to reopen a lost port (and two checks that an open one is there).
inline constexpr double kPortWatchSeconds = 3.0;
// The port LED's colours.
inline constexpr std::uint32_t kPortLedOpen = 0x00CC00;
inline constexpr std::uint32_t kPortLedLost = 0xFF0000;

struct PortWatchState {
    bool away = false;
    QDateTime lostAt;      // the time shown
    QElapsedTimer awayFor; // the length of the gap, whatever the clock does meanwhile
    QString reason;
    int losses = 0;
    int reconnections = 0;
    QString shownLoss;       // the loss as last said in the status line
    int ticksSinceOther = 0; // watch ticks since something else was said there
};
extern PortWatchState UnitPortWatch;

// Starts and ends the watch over the unit port as it is opened and closed.
void StartPortWatch(int port);
void StopPortWatch();

// The port's loss callback.
void UnitPortLost(int port);
// The watch timer: checks that the open port is still there, or tries to reopen a lost one.
void PortWatchTimer();

// Whether the unit port is away now, and for how long (milliseconds).
[[nodiscard]] bool UnitPortAway();
[[nodiscard]] std::int64_t UnitPortAwayMs();

// "45 s", "3 min 05 s", "2 h 14 min".
[[nodiscard]] QString GapText(std::int64_t milliseconds);

// The window's status line forgets a message after a few seconds: the loss of the port is
// said again there while it lasts. The companion says it once (its own line tells the gap).
void RepeatPortLossInStatus(bool repeat);

void ResetPortWatch();

} // namespace undarix::link
