#pragma once

// The line format of the comma-separated data file, both ways. A line is the start of the
// unit's packet text followed, for most kinds, by value fields of eight characters: a comma
// and the value in meters printed "%07.4f", cut to the slot when wider. Lines end in CR LF.
//
//   block kinds "A", "F" (32 values), "I" (64), "i" and "f" (60):
//     31-character prefix "A004,S32,B0,2014-02-10T16:00:40", value k at 31 + 8k
//   single values "C", by the record-type digit at position 6:
//     "1" sample       "C001,D1,S08,05.0920"  (prefix of 11, one value field)   19
//     "8" date         "C001,D8,2014-02-10"                                     18
//     "9" time         "C001,D9,16:00:40"                                       16
//     "7" battery      "C001,D7,G" and what follows                             19
//     "4" air temp.    "C001,D4,12.50"                                          13
//   (lengths without CR LF; the date, time, battery and temperature records are the packet
//   text itself, cut to that length; a shorter text gives a shorter line, never padding).

#include <cstddef>

namespace undarix::files::codec {

inline constexpr std::size_t kPrefixLength = 31;
inline constexpr std::size_t kFieldWidth = 8;
inline constexpr std::size_t kSinglePrefixLength = 11;
// The longest line, "I" with CR LF.
inline constexpr std::size_t kMaxDataLine = kPrefixLength + 64 * kFieldWidth + 2;

// Values of a block kind: 32 for "A" and "F", 64 for "I", 60 for "i" and "f"; 0 otherwise.
[[nodiscard]] int BlockValueCount(char kind);
// Length of a block line without CR LF (287, 543, 511), 0 for a kind that is not a block.
[[nodiscard]] std::size_t BlockLineLength(char kind);

// The eight characters of a value field: ',' and the value as "%07.4f" prints it in the C
// locale, cut to seven characters.
void FormatValueField(float value, char* out);

// Builds the line for a packet of `kind` whose text (`textLength` bytes) begins at `text`,
// with the decoded values; `out` holds at least kMaxDataLine bytes. Returns the line length
// with CR LF, or 0 when this kind of packet makes no line.
std::size_t BuildDataLine(char kind, const char* text, std::size_t textLength, const float* values,
                          char* out);

// The leading decimal number of a field (leading blanks and a sign allowed), reading at most
// `length` characters; no digits give 0.
[[nodiscard]] long ParseLeadingInt(const char* text, std::size_t length);
[[nodiscard]] float ParseLeadingReal(const char* text, std::size_t length);

// The number of a value field (the seven characters after its comma), as ParseLeadingReal
// reads it; the usual shapes ("05.0664", "-1.2500", "123.456") without a detour.
[[nodiscard]] float ReadValueField(const char* number);

// Reads `count` value fields of a block line of the right length into `values`.
void ReadBlockValues(const char* line, int count, float* values);

// A value as a data file holds it: printed into its field and read back (0.1 mm steps), so
// that what is worked out live equals what is later worked out from the file.
[[nodiscard]] float LoggedValue(float value);

} // namespace undarix::files::codec
