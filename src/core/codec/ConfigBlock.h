#pragma once

// The configuration block of wired Ravo Zerars (kinds 3, 4) and Deve Zuravis (kinds 5, 6):
// 132 printable characters, 44 two-character pairs each followed by a comma. Pair k holds
// characters 3k and 3k+1; pair 43 is the 8-bit sum of pairs 0..42. The unit sends it after
// "ROK,", the program after "w". Pair encodings:
//   H  one byte as two uppercase hex digits, high nibble first
//   W  a 16-bit value as two H pairs, high byte first
//   D  0..99 as two decimal digits
//   Z  "00" when sent, ignored when read
//   C  two characters passed through (pair 0, the firmware version digits)

#include "core/codec/WiredConfigRecord.h"

#include <cstddef>
#include <cstdint>

namespace undarix::core::codec {

inline constexpr int kPairCount = 44;
inline constexpr int kChecksumPair = 43;
inline constexpr std::size_t kBlockLength = 132;
// The block and its terminating NUL.
inline constexpr std::size_t kBlockBufferSize = kBlockLength + 1;

// Largest alarm count: a level is a 12-bit fraction of the staff length.
inline constexpr int kAlarmFullScale = 4095;

// Gain and offset written by Set Default Values.
inline constexpr float kDefaultGain = 4096.0f;
inline constexpr float kDefaultOffsetTableA = -500.0f; // kinds 3 and 5
inline constexpr float kDefaultOffsetTableB = -820.0f; // kinds 4 and 6

[[nodiscard]] constexpr bool IsRavoZerarBlockKind(int unitKind) {
    return unitKind == 3 || unitKind == 4;
}
[[nodiscard]] constexpr bool IsDeveZuraviBlockKind(int unitKind) {
    return unitKind == 5 || unitKind == 6;
}

// Where pair `pair` starts in a block.
[[nodiscard]] constexpr std::size_t PairOffset(int pair) {
    return std::size_t(3 * pair);
}

// --- Character conversions -------------------------------------------------------------
// A digit is its code minus 48 up to '9' and its code minus 55 above (so 'A'..'F' are
// 10..15). Nothing is rejected: lowercase and other characters give out-of-range digits
// that flow into the result, as the units and earlier programs compute it; the checksum
// depends on exactly this rule.

// (16 x first digit + second digit) modulo 256. "ff" is not 255.
[[nodiscard]] std::uint8_t HexStr2Byte(const char* twoChars);
// (10 x first digit + second digit) modulo 256. 'A','5' gives 105.
[[nodiscard]] std::uint8_t DecStr2Byte(const char* twoChars);
// Writes '0' + value / 10 and '0' + value % 10, no terminator. Meant for 0..99: 100 and
// more give a first character beyond '9'.
void Int2ASCII2Char(int value, char* dest);

// H: writes two uppercase hex digits, no terminator.
void Byte2HexStr(std::uint8_t value, char* dest);
// H of a 32-bit field (burst length and interval, file interval, the logger's spare byte):
// the high digit is the whole value shifted right by four, so only 0..255 encode as hex.
void Int2HexStr(std::int32_t value, char* dest);

// --- Pairs in a block --------------------------------------------------------------------
[[nodiscard]] std::uint8_t ReadHexPair(const char* block, int pair);
[[nodiscard]] std::uint8_t ReadDecPair(const char* block, int pair);
// W at pairs `pair` and `pair + 1`, read as unsigned.
[[nodiscard]] std::uint16_t ReadWordPairs(const char* block, int pair);
void WriteHexPair(char* block, int pair, std::uint8_t value);
void WriteWordPairs(char* block, int pair, std::uint16_t value);

// --- Checksum ----------------------------------------------------------------------------
// Sum modulo 256 of pairs 0..42, each read with the HexStr2Byte rule (decimal pairs and the
// version too). Reads characters 0..127.
[[nodiscard]] std::uint8_t BlockChecksum(const char* block);
// Whether pair 43 holds the sum of pairs 0..42. Reads characters 0..130.
[[nodiscard]] bool BlockChecksumMatches(const char* block);

// --- Gain and offset ---------------------------------------------------------------------
// Truncated toward zero to 32 bits; 0 when not a finite number or out of 32-bit range.
[[nodiscard]] std::int32_t TruncateGainOffset(float value);
// The W value sent: the low 16 bits of TruncateGainOffset (two's complement).
[[nodiscard]] std::uint16_t EncodeGainOffset(float value);
// Received values, signed 16-bit (pairs 3-4 and 5-6).
[[nodiscard]] std::int16_t BlockGain(const char* block);
[[nodiscard]] std::int16_t BlockOffset(const char* block);
// Whether the unit holds the value the program sent: the held float truncated against the
// received 16-bit value. A gain of 40000 reads back as -25536 and is not taken.
[[nodiscard]] bool GainOffsetTaken(float held, std::int16_t received);

// --- Alarm levels (Ravo Zerar kinds) -----------------------------------------------------
// Counts for a level in millimetres: level / staff x 4095, truncated toward zero and clamped
// to 0..4095; 0 when the staff length is 0 or either value is not finite.
[[nodiscard]] std::uint16_t AlarmLevel2Counts(float levelMm, float staffLengthMm);
// Millimetres for received counts: counts / 4095 x staff.
[[nodiscard]] float AlarmCounts2Level(std::uint16_t counts, float staffLengthMm);
// The counts a level goes out as: the counts last read while the level still reads as them
// (not edited, same staff length), so it goes back exactly as read; otherwise the level
// converted anew. `which` is 0..3: alarm 1 on, alarm 1 off, alarm 2 on, alarm 2 off.
[[nodiscard]] std::uint16_t AlarmCountsToSend(const WiredConfigRecord& record, int which);

// --- Whole block -------------------------------------------------------------------------
// Builds the block for `unitKind` 3..6 from `record` into `out` (at least kBlockBufferSize
// bytes), with a NUL after the closing comma. Returns the number of characters to send:
// the length up to the first NUL, so while `Version` is empty (no block read yet) nothing
// but the write request goes out. Other kinds: `out` is left empty and 0 returned.
// The record is sent as it stands; the caller does what precedes a send: clearing alarm
// bits 1 and 2 of `AlarmFlags` for kind 4, taking the PC clock, clearing the Deve Zuravi
// set-clock bit.
std::size_t BuildConfigBlock(const WiredConfigRecord& record, int unitKind, char* out);

// Fields a received block sets when the receive path takes it (any kind 3..6): `Prescale`
// (pair 1) and `PrescaleRange` (pair 2). The staff length follows from them (StaffTable.h).
void DecodeBlockPrescale(const char* block, WiredConfigRecord& record);

// Decodes a received block (characters 0..130) into `record` for display, by kind:
//   3, 4  `Version`, `Gain`, `Offset`, `SampleRate`, `ModeFlags`; kind 3 also
//         `AlarmFlags`, the four alarm levels (scaled by the record's `StaffLength`, which
//         must already be set) and their counts; kind 4 leaves the alarm fields alone
//   5, 6  `Version`, `Gain`, `Offset`, `SampleRate`, `BurstLength`, `BurstInterval`,
//         `FileInterval`, the clock (pair 14 ignored), the start time, `LoggerSpare`,
//         `ModeFlags`
// The checksum is not checked here, and `Gain` and `Offset` are overwritten: read
// BlockGain/BlockOffset first to compare them with what was sent. Returns false (record
// untouched) for other kinds.
bool DecodeConfigBlock(const char* block, int unitKind, WiredConfigRecord& record);

} // namespace undarix::core::codec
