#include "link/codec/DecimalText.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

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

std::size_t FormatFixed(double value, int decimals, char* out, std::size_t size) {
    if (out == nullptr || size == 0) return 0;
    // to_chars is the locale-free printf: the same digits and rounding, always a point.
    const auto [end, error] = std::to_chars(out, out + size, value, std::chars_format::fixed,
                                            decimals < 0 ? 0 : decimals);
    if (error != std::errc()) return 0;
    return std::size_t(end - out);
}

std::size_t FormatFixedPadded(double value, int width, int decimals, char* out, std::size_t size) {
    const std::size_t n = FormatFixed(value, decimals, out, size);
    if (n == 0 || width <= 0 || std::size_t(width) <= n) return n;
    if (std::size_t(width) > size) return 0;
    // printf pads "nan" and "inf" with blanks in front, numbers with zeros after the sign.
    const bool number = std::isfinite(value);
    const std::size_t pad = std::size_t(width) - n;
    const std::size_t sign = number && (out[0] == '-') ? 1 : 0;
    const std::size_t at = number ? sign : 0;
    std::memmove(out + at + pad, out + at, n - at);
    std::memset(out + at, number ? '0' : ' ', pad);
    return std::size_t(width);
}

} // namespace undarix::link::codec
