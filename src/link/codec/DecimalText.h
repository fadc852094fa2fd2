#pragma once

// Numbers in the texts the units send, read the way the units' own firmware writes and reads
// them: leading blanks, an optional sign, digits, reading stopping at the first character that
// does not belong to the number. Every reader is bounded by the text it is given and never
// looks past its end; a text without a number reads as 0.

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

// The part of `text` from `pos` on, at most `count` characters; empty when `pos` is past the
// end.
[[nodiscard]] constexpr std::string_view Field(std::string_view text, std::size_t pos,
                                               std::size_t count = std::string_view::npos) {
    return pos < text.size() ? text.substr(pos, count) : std::string_view();
}

} // namespace undarix::link::codec
