#pragma once

// Numbers in the texts the units send, read the way the units' own firmware writes and reads
// them: leading blanks, an optional sign, digits, reading stopping at the first character that
// does not belong to the number. Every reader is bounded by the text it is given and never
// looks past its end; a text without a number reads as 0.
//
// The decimal separator is always the point, whatever locale the user's PC is set to: these
// texts go to units, files and other programs, never only to a person.

#include <cstddef>
#include <string_view>

namespace undarix::link::codec {

struct DecimalReading {
    double value = 0.0;
    int digits = 0; // how many digits were read; 0 means no number
};

// An integer; values beyond the int range are held at its ends.
[[nodiscard]] int ReadDecimal(std::string_view text);
// A number with an optional fraction ("12.5", "-0.0625", "09997").
[[nodiscard]] DecimalReading ReadDecimalReal(std::string_view text);

// A real with a fixed number of decimals, as "%.*f" prints it in the C locale, into `out`;
// returns the length, or 0 when it does not fit `size` (nothing useful is written then).
std::size_t FormatFixed(double value, int decimals, char* out, std::size_t size);
// The same, zero-padded after the sign to at least `width` characters, as "%0*.*f" prints it.
std::size_t FormatFixedPadded(double value, int width, int decimals, char* out, std::size_t size);

// The part of `text` from `pos` on, at most `count` characters; empty when `pos` is past the
// end.
[[nodiscard]] constexpr std::string_view Field(std::string_view text, std::size_t pos,
                                               std::size_t count = std::string_view::npos) {
    return pos < text.size() ? text.substr(pos, count) : std::string_view();
}

} // namespace undarix::link::codec
