#pragma once

// What the dispatcher hands on from the frame it decoded.

#include <cstddef>

namespace undarix::core {

// The samples (meters) of the last decoded packet or line: 32, 60 or 64 of them for a block,
// element 0 only for a single value.
inline constexpr std::size_t kWorkValues = 64;
extern float WorkValue[kWorkValues];

// A configuration reply or an AT response, for the parsers.
inline constexpr std::size_t kRxCharsSize = 128;
extern char RxChars[kRxCharsSize];

// The two characters put into a time-sync message, and a terminating zero.
extern char RxSecSync[3];

void ResetFrameBuffers();

} // namespace undarix::core
