#include "files/codec/DataLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace undarix::files::codec {
namespace {

constexpr std::size_t kNumberWidth = kFieldWidth - 1;

// The number as "%07.4f" prints it (C locale, whatever the user's locale says about the
// decimal separator) into `out`; returns its length, which may exceed seven.
std::size_t PrintValue(float value, char* out) {
    const double d = value;
    char digits[48];
    std::size_t n = 0;
    const bool negative = std::signbit(d);
    if (std::isfinite(d) && std::fabs(d) < 1e9) {
        // A float times 10000 is exact in a double (24 + 14 bits), so rounding the product to
        // the nearest integer, ties to even, is exactly the rounding printf applies.
        const long long scaled = std::llabs((long long)std::nearbyint(d * 1e4));
        long long whole = scaled / 10000;
        int fraction = int(scaled % 10000);
        char reversed[24];
        std::size_t w = 0;
        do {
            reversed[w++] = char('0' + whole % 10);
            whole /= 10;
        } while (whole != 0);
        if (negative) digits[n++] = '-';
        while (w > 0)
            digits[n++] = reversed[--w];
        digits[n++] = '.';
        for (int div = 1000; div >= 1; div /= 10) {
            digits[n++] = char('0' + fraction / div);
            fraction %= div;
        }
    } else if (std::isfinite(d)) {
        n = std::size_t(
            std::to_chars(digits, digits + sizeof digits, d, std::chars_format::fixed, 4).ptr -
            digits);
    } else {
        // printf pads "nan" and "inf" with blanks, never zeros.
        const char* word = std::isnan(d) ? "nan" : "inf";
        const std::size_t len = (negative ? 1 : 0) + 3;
        const std::size_t pad = len < kNumberWidth ? kNumberWidth - len : 0;
        std::memset(out, ' ', pad);
        std::size_t k = pad;
        if (negative) out[k++] = '-';
        std::memcpy(out + k, word, 3);
        return k + 3;
    }
    // Zero padding to seven characters goes after the sign.
    const std::size_t pad = n < kNumberWidth ? kNumberWidth - n : 0;
    std::size_t k = 0;
    std::size_t from = 0;
    if (negative) {
        out[k++] = '-';
        from = 1;
    }
    std::memset(out + k, '0', pad);
    k += pad;
    std::memcpy(out + k, digits + from, n - from);
    return k + n - from;
}

// Copies the packet text up to `limit` characters, stopping at the end of the text or at a
// line end or zero byte inside it, so that a short record never brings stale bytes along.
std::size_t CopyText(const char* text, std::size_t textLength, std::size_t limit, char* out) {
    const std::size_t available = std::min(textLength, limit);
    std::size_t n = 0;
    while (n < available && text[n] != '\0' && text[n] != '\r' && text[n] != '\n') {
        out[n] = text[n];
        ++n;
    }
    return n;
}

// A fixed-width prefix: the text's characters, blanks where a malformed packet is too short.
void CopyPrefix(const char* text, std::size_t textLength, std::size_t width, char* out) {
    const std::size_t n = std::min(textLength, width);
    std::memcpy(out, text, n);
    std::memset(out + n, ' ', width - n);
}

std::size_t EndLine(char* out, std::size_t length) {
    out[length] = '\r';
    out[length + 1] = '\n';
    return length + 2;
}

const char* SkipBlanks(const char* p, const char* end) {
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    return p;
}

} // namespace

int BlockValueCount(char kind) {
    switch (kind) {
    case 'A':
    case 'F': return 32;
    case 'I': return 64;
    case 'i':
    case 'f': return 60;
    default: return 0;
    }
}

std::size_t BlockLineLength(char kind) {
    const int count = BlockValueCount(kind);
    return count == 0 ? 0 : kPrefixLength + std::size_t(count) * kFieldWidth;
}

void FormatValueField(float value, char* out) {
    char number[48];
    const std::size_t n = PrintValue(value, number);
    out[0] = ',';
    std::memcpy(out + 1, number, std::min(n, kNumberWidth));
}

std::size_t BuildDataLine(char kind, const char* text, std::size_t textLength, const float* values,
                          char* out) {
    if (const int count = BlockValueCount(kind); count != 0) {
        CopyPrefix(text, textLength, kPrefixLength, out);
        char* field = out + kPrefixLength;
        for (int k = 0; k < count; ++k, field += kFieldWidth)
            FormatValueField(values[k], field);
        return EndLine(out, BlockLineLength(kind));
    }
    if (kind != 'C' || textLength < 7) return 0;
    switch (text[6]) {
    case '1':
        CopyPrefix(text, textLength, kSinglePrefixLength, out);
        FormatValueField(values[0], out + kSinglePrefixLength);
        return EndLine(out, kSinglePrefixLength + kFieldWidth);
    case '8': return EndLine(out, CopyText(text, textLength, 18, out));
    case '9': return EndLine(out, CopyText(text, textLength, 16, out));
    case '7': return EndLine(out, CopyText(text, textLength, 19, out));
    case '4': return EndLine(out, CopyText(text, textLength, 13, out));
    default: return 0;
    }
}

long ParseLeadingInt(const char* text, std::size_t length) {
    const char* end = text + length;
    const char* p = SkipBlanks(text, end);
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    long value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        if (value < 100000000L) value = value * 10 + (*p - '0');
    }
    return negative ? -value : value;
}

float ParseLeadingReal(const char* text, std::size_t length) {
    const char* end = text + length;
    const char* p = SkipBlanks(text, end);
    if (p < end && *p == '+') ++p;
    float value = 0.0f;
    if (std::from_chars(p, end, value).ec != std::errc()) return 0.0f;
    return value;
}

float ReadValueField(const char* number) {
    // A sign, digits, one point and digits, seven characters in all: the mantissa over a power
    // of ten, rounded once to double and once to float, which is the float nearest the
    // decimal for numbers this short (a test checks every one of them against from_chars).
    constexpr double kPowers[] = {1.0, 10.0, 100.0, 1e3, 1e4, 1e5, 1e6};
    const char* p = number;
    const char* const end = number + kNumberWidth;
    const bool negative = *p == '-';
    if (negative) ++p;
    long mantissa = 0;
    int fraction = -1;
    for (; p < end; ++p) {
        const unsigned digit = unsigned(*p - '0');
        if (digit < 10) {
            mantissa = mantissa * 10 + long(digit);
            if (fraction >= 0) ++fraction;
        } else if (*p == '.' && fraction < 0) {
            fraction = 0;
        } else {
            return ParseLeadingReal(number, kNumberWidth);
        }
    }
    if (fraction <= 0 || p - number - (negative ? 1 : 0) - 1 - fraction == 0)
        return ParseLeadingReal(number, kNumberWidth);
    const double value = double(mantissa) / kPowers[fraction];
    return float(negative ? -value : value);
}

void ReadBlockValues(const char* line, int count, float* values) {
    const char* field = line + kPrefixLength + 1;
    for (int k = 0; k < count; ++k, field += kFieldWidth)
        values[k] = ReadValueField(field);
}

float LoggedValue(float value) {
    // Where the number fits its seven characters whole ("0X.XXXX", "XX.XXXX", "-X.XXXX"), the
    // field reads back as its ten-thousandths, rounded as printing rounds them: that number is
    // had without printing and reading, as it is for every sample the sea state is fed.
    const double d = value;
    if (std::isfinite(d) && std::fabs(d) < 1e9) {
        const bool negative = std::signbit(d);
        const long long scaled = std::llabs((long long)std::nearbyint(d * 1e4));
        if (scaled < (negative ? 100000 : 1000000)) {
            const double back = double(scaled) / 1e4;
            return float(negative ? -back : back);
        }
    }
    char field[kFieldWidth];
    FormatValueField(value, field);
    return ReadValueField(field + 1);
}

} // namespace undarix::files::codec
