#pragma once

#include <QDateTime>

#include <functional>

namespace undarix::ui {

// The PC's local date and time, to the millisecond. Every reading of "now" in the program
// goes through here so that tests can set the clock.
[[nodiscard]] QDateTime Now();
// The same instant in milliseconds since the epoch; cheap enough for every packet (the local
// time zone is not looked up).
[[nodiscard]] qint64 NowMs();

// Replaces the clock; returns the previous one. An empty function restores the system clock.
std::function<QDateTime()> SetClock(std::function<QDateTime()> clock);

} // namespace undarix::ui
