#pragma once

// The PC's clock as the wired units are set from it and compared with it: to the second, at
// the first instant of a new second.

#include <QDateTime>

namespace undarix::wiredcfg {

// Reads the clock until its second changes and returns that reading, date and time of one
// instant: a wait that crosses midnight gives the new day's date with 00:00:00. Blocks up to
// a second (bounded, should the clock stand still).
[[nodiscard]] QDateTime WaitForNextSecond();

} // namespace undarix::wiredcfg
