#pragma once

// The texts radio units (and the synthetic frames of wired units) carry in a receive packet,
// decoded into numbers. Every function takes the text with its length and never reads past
// it: a field the text does not reach is reported missing, never taken from whatever the
// buffer held before.
//
// Single values, first character "C":  "C<device>,D<type>,<field>"
//   type 1 "S<rate 2 digits>,<value>"   type 8 "YYYY-MM-DD"   type 9 "hh:mm:ss"
//   type 7 "G" / "L" / "B" (battery)    type 4 <air temperature>
// Sample blocks, first character "A", "F", "I" or "i":
//   1 device number, 6 rate, 10 battery character, 12..30 "YYYY-MM-DDThh:mm:ss", 33 samples:
//   "A" 32 x 6 ASCII digits (mm), "F" 32 x 4-byte float LSB first (m),
//   "I" 64 x int16 LSB first (mm), "i" 60 x int16 LSB first (mm).

#include <cstddef>
#include <string_view>

namespace undarix::live::codec {

inline constexpr std::size_t kTimeStampLength = 19;
inline constexpr std::size_t kBlockTimeStampPos = 12;
inline constexpr std::size_t kBlockSamplesPos = 33;
inline constexpr int kMaxBlockSamples = 64;

struct SingleRecord {
    int deviceNumber = 0;
    // The record-type digit ('1', '8', '9', '7', '4' or another); 0 when the text is too short
    // to hold the field of its type, so that the record changes nothing.
    char type = 0;
    int sampleRate = 0;          // type 1
    float value = 0.0f;          // type 1, meters
    char date[10] = {};          // type 8
    char time[8] = {};           // type 9
    char batteryStatus = 0;      // type 7: '0' good, '2' low, '3' bad; 0 for another letter
    float airTemperature = 0.0f; // type 4, degrees Celsius
};

// tenths: the value is in tenths of a millimetre (wired staffs under 10000 mm), else in
// millimetres.
[[nodiscard]] SingleRecord DecodeSingleRecord(std::string_view text, bool tenths);

struct BlockHeader {
    int deviceNumber = 0;
    int sampleRate = 0;
    char batteryStatus = 0; // 0 when the text ends before it
    bool hasTimeStamp = false;
    char timeStamp[kTimeStampLength] = {};
};
[[nodiscard]] BlockHeader DecodeBlockHeader(std::string_view text);

// Samples a block of this kind carries (0 for an unknown kind), and the text length it needs.
[[nodiscard]] int BlockSampleCount(char kind);
[[nodiscard]] std::size_t BlockTextLength(char kind);

// The block's samples in meters into `out` (room for kMaxBlockSamples); returns how many.
// A block of an unknown kind, or one shorter than its kind needs, gives 0 and leaves `out`
// untouched.
int DecodeBlockSamples(std::string_view text, float* out);

// A 19-character time stamp "YYYY-MM-DDThh:mm:ss" as year, month, day, hour, minute, second:
// the decimal numbers at positions 0, 5, 8, 11, 14 and 17 (a number the text does not reach
// reads 0).
void ParseTimeStamp(std::string_view text, int out[6]);

} // namespace undarix::live::codec
