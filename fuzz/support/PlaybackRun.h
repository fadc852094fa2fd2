#pragma once

// Playback of a whole file through the program's own steps: the chart's source switched to
// File, the file opened, plotting started, and the read timer ticked to the end of the file.

#include <cstddef>
#include <cstdint>

namespace undarix::fuzz {

// `suffix` is "csv" (a data file) or "api" (a capture file). After every fourth block the
// playback steps back one block when `stepBack` says so, as a negative speed does.
void PlayBackFile(const char* suffix, const std::uint8_t* data, std::size_t count, bool stepBack);

} // namespace undarix::fuzz
