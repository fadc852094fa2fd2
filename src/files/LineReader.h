#pragma once

// The reader of data-file lines: each line played back fills the unit's device-table record
// and goes to the chart as a live packet would.

#include <cstddef>
#include <cstdint>

namespace undarix::files {

// One line, zero-terminated and without its CR LF. Longer lines never enter it: playback
// drops them.
inline constexpr std::size_t kRxCSVSize = 1024;
extern char RxCSV[kRxCSVSize];

// Played-back units are told apart by their device number, which is the low byte of their
// address. Device number 0 would give the address 0, which marks a free record; such a unit
// gets this address instead, beyond every other device number.
inline constexpr std::uint64_t kDeviceZeroAddress = 0x100;

// Takes the line in RxCSV apart into the record of its device number.
void RxCSVFileService();

} // namespace undarix::files
