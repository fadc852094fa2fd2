#pragma once

// Small text helpers of the simulated units: printf into a string, and the lenient number
// readings the units apply to what they are sent. Reals always carry a decimal point, as the
// units write and read them, whatever the locale of the process.

#include <string>
#include <string_view>

namespace undarix::sim {

[[nodiscard]] std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Decimal integer or real at the start of the text (0 when there is none).
[[nodiscard]] long ParseInt(std::string_view text);
[[nodiscard]] double ParseReal(std::string_view text);
// strtod in the C locale.
[[nodiscard]] double StrToDouble(const char* text, char** end);
// The leading integer of a version text such as "2.10".
[[nodiscard]] int LeadingInt(std::string_view text);
// Two or three decimal digits at a position, or -1 when they are not all digits.
[[nodiscard]] int TwoDigits(std::string_view text, std::size_t position);
[[nodiscard]] int ThreeDigits(std::string_view text, std::size_t position);

} // namespace undarix::sim
