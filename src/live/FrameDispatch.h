#pragma once

#include <cstdint>

namespace undarix::live {

// The single entry for every complete frame in RxFrame, received, synthesised from a wired
// line or read back from a capture file. tenthFlag is 1 only for wired samples in tenths of
// a millimetre.
void RxDataService(std::uint8_t tenthFlag);

// Parses a record's 19-character time stamp into its six numbers.
void GetDatesTimesFormStr(int slot);

} // namespace undarix::live
