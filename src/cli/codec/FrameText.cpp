#include "cli/codec/FrameText.h"

namespace undarix::cli::codec {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view WithoutHexPrefix(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    return text;
}

// The hexadecimal digits of `text` with the separators left out; false on any other character.
bool HexDigits(std::string_view text, std::string_view separators, std::string& digits) {
    digits.clear();
    for (char c : WithoutHexPrefix(text)) {
        if (separators.find(c) != std::string_view::npos) continue;
        if (HexValue(c) < 0) return false;
        digits += c;
    }
    return true;
}

} // namespace

bool ParseAddress64(std::string_view text, std::uint64_t& address) {
    std::string digits;
    if (!HexDigits(text, " :", digits) || digits.empty() || digits.size() > 16) return false;
    address = 0;
    for (char c : digits)
        address = address << 4 | std::uint64_t(HexValue(c));
    return true;
}

bool ParseHexBytes(std::string_view text, std::string& bytes) {
    std::string digits;
    if (!HexDigits(text, " ", digits)) return false;
    if (digits.size() % 2 != 0) digits.insert(digits.begin(), '0');
    bytes.clear();
    for (std::size_t i = 0; i < digits.size(); i += 2)
        bytes += char(HexValue(digits[i]) << 4 | HexValue(digits[i + 1]));
    return true;
}

bool UnescapeText(std::string_view text, std::string& out, std::string& error) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        const char code = i + 1 < text.size() ? text[i + 1] : '\0';
        switch (code) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        case 'x': {
            const int high = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
            const int low = i + 3 < text.size() ? HexValue(text[i + 3]) : -1;
            if (high < 0 || low < 0) {
                error = std::string(text.substr(i, 4));
                return false;
            }
            out += char(high << 4 | low);
            i += 2;
            break;
        }
        default: error = std::string(text.substr(i, 2)); return false;
        }
        ++i;
    }
    return true;
}

std::string SpacedHex(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) text += ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

} // namespace undarix::cli::codec
