#include "files/codec/NativeName.h"

#include <cstdint>

namespace undarix::files::codec {
namespace {

constexpr char16_t kEscapeBase = 0xDC00; // stray bytes 0x80 to 0xFF land on 0xDC80 to 0xDCFF
constexpr char32_t kReplacement = 0xFFFD;

// The length of the valid UTF-8 sequence at the start of `bytes` and its code point, or 0.
std::size_t ValidSequence(std::string_view bytes, char32_t& codePoint) {
    const auto byte = [&](std::size_t i) { return std::uint8_t(bytes[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3F);
    }
    // Overlong forms, encoded surrogates and code points beyond Unicode are not valid.
    if (codePoint < minimum || (codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF)
        return 0;
    return length;
}

void AppendUtf16(std::u16string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        out += char16_t(codePoint);
        return;
    }
    codePoint -= 0x10000;
    out += char16_t(0xD800 + (codePoint >> 10));
    out += char16_t(0xDC00 + (codePoint & 0x3FF));
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += char(codePoint);
    } else if (codePoint < 0x800) {
        out += char(0xC0 | (codePoint >> 6));
        out += char(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += char(0xE0 | (codePoint >> 12));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    } else {
        out += char(0xF0 | (codePoint >> 18));
        out += char(0x80 | ((codePoint >> 12) & 0x3F));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    }
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

std::u16string DecodeNativeName(std::string_view bytes) {
    std::u16string name;
    name.reserve(bytes.size());
    while (!bytes.empty()) {
        char32_t codePoint = 0;
        const std::size_t length = ValidSequence(bytes, codePoint);
        if (length == 0) {
            name += char16_t(kEscapeBase + std::uint8_t(bytes[0]));
            bytes.remove_prefix(1);
            continue;
        }
        AppendUtf16(name, codePoint);
        bytes.remove_prefix(length);
    }
    return name;
}

std::string EncodeNativeName(std::u16string_view name) {
    std::string bytes;
    bytes.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i];
        if (IsHighSurrogate(unit) && i + 1 < name.size() && IsLowSurrogate(name[i + 1])) {
            AppendUtf8(bytes, 0x10000 + ((char32_t(unit) - 0xD800) << 10) +
                                  (char32_t(name[i + 1]) - 0xDC00));
            ++i;
        } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
            bytes += char(unit - kEscapeBase); // a stray byte of the original name
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(bytes, kReplacement);
        } else {
            AppendUtf8(bytes, unit);
        }
    }
    return bytes;
}

} // namespace undarix::files::codec
