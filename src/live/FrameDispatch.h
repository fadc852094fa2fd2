#pragma once

#include <cstdint>

namespace undarix::live {

// The single entry for every complete frame in RxFrame (its length in UartXbee), received,
// synthesised from a wired line or read back from a capture file. tenthFlag is 1 only for
// wired samples in tenths of a millimetre.
//
// While the chart's data source is File every frame comes from playback: then only the
// samples and records of receive packets are decoded. A replayed file never answers a time
// sync, never hands a configuration reply or an AT response on, and so never transmits or
// changes a setting.
void RxDataService(std::uint8_t tenthFlag);

// Parses a record's 19-character time stamp into its six numbers.
void GetDatesTimesFormStr(int slot);

} // namespace undarix::live
