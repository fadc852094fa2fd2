#include "link/codec/DecimalText.h"

#include <climits>

namespace undarix::link::codec {
namespace {

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Skips the blanks and reads the sign; returns the position of the first digit.
std::size_t SignedStart(std::string_view text, bool& negative) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    return i;
}

} // namespace

int ReadDecimal(std::string_view text) {
    bool negative = false;
    long long value = 0;
    for (std::size_t i = SignedStart(text, negative); i < text.size() && IsDigit(text[i]); ++i)
        if (value <= INT_MAX) value = value * 10 + (text[i] - '0');
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return int(value);
}

DecimalReading ReadDecimalReal(std::string_view text) {
    bool negative = false;
    DecimalReading reading;
    double mantissa = 0.0; // exact for the digits any unit sends
    double divisor = 1.0;
    std::size_t i = SignedStart(text, negative);
    for (; i < text.size() && IsDigit(text[i]); ++i, ++reading.digits)
        mantissa = mantissa * 10.0 + (text[i] - '0');
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i, ++reading.digits) {
            mantissa = mantissa * 10.0 + (text[i] - '0');
            divisor *= 10.0;
        }
    }
    reading.value = (negative ? -mantissa : mantissa) / divisor;
    return reading;
}

} // namespace undarix::link::codec
