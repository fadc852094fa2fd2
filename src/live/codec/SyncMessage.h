#pragma once

// The time-sync message a radio unit sets its clock from:
//   "ZS,yy-mm-ddThh?mm?ss.nnn\r\n"
// It names a second a little ahead of the PC clock, and nnn is the number of 1/128 s clock
// ticks from the moment the message leaves until that second begins. The two separators are
// ':' for one-sample units; block units get letters that echo their own last time stamp.

#include <cstddef>

namespace undarix::live::codec {

// The calendar time a message names (local time, four-digit year).
struct SyncTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Room for the longest message and its terminating zero.
inline constexpr std::size_t kSyncMessageSize = 40;
// The message names the second that begins this much after "now".
inline constexpr int kSyncLeadMs = 2000;

// Ticks of 1/128 s (7.8125 ms) from `fractionMs` into the present second until the named
// second begins, rounded to the nearest tick: 256 at 0 ms down to 128 at 999 ms.
[[nodiscard]] int SyncTicksToSecond(int fractionMs);

// Writes the message (terminated) into `out` of `size` bytes and returns its length, without
// the zero. Fields outside their two digits are clamped so the layout never shifts.
std::size_t FormatSyncMessage(const SyncTime& time, char separator1, char separator2, int ticks,
                              char* out, std::size_t size);

} // namespace undarix::live::codec
