#pragma once

// Receive-packet frames built from the lines of wired units and of the Vazavevezeze board, so
// that the dispatcher, the table, the data file and the chart treat them as radio packets:
//   0x90, address 00 00 00 00 00 00 00 <unit>, 16-bit address 01 00, options 0x41, then the
//   unit text from index 12, zero-filled up to the frame length.
// The frame lengths are the ones the data-file writer and playback have always seen; a text
// longer than its usual length (an out-of-range count) lengthens the frame instead of being
// cut.

#include <cstddef>
#include <cstdint>

namespace undarix::link::codec {

inline constexpr int kSampleFrameLength = 31;
inline constexpr int kDateFrameLength = 31;
inline constexpr int kTimeFrameLength = 30;
inline constexpr int kAirTemperatureFrameLength = 25;
// Room every builder needs in `frame`.
inline constexpr std::size_t kSyntheticFrameRoom = 64;

// unit is 1 for a single wired unit, staff index + 1 (1 to 8) for the board. Each returns the
// frame length.
//   "C00<unit>,D1,S<rate %02i>,<value %05i>\r\n"
int BuildSampleFrame(int unit, int sampleRate, int value, std::uint8_t* frame);
//   "C00<unit>,D8,YYYY-MM-DD"
int BuildDateFrame(int unit, int year, int month, int day, std::uint8_t* frame);
//   "C00<unit>,D9,hh:mm:ss"
int BuildTimeFrame(int unit, int hour, int minute, int second, std::uint8_t* frame);
//   "C001,D4,<celsius %04.1f>"
int BuildAirTemperatureFrame(double celsius, std::uint8_t* frame);

// A wired staff's count (0 to 4095 over the staff length) as the sample value the frame
// carries: millimetres, or tenths of a millimetre for staffs shorter than 10000 mm.
struct WiredSample {
    int value = 0;
    bool tenths = false;
};
[[nodiscard]] WiredSample WiredCountToValue(int count, double staffLengthMm);

} // namespace undarix::link::codec
