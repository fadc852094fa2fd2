#pragma once

// The text forms the companion's frame command reads and prints: a 64-bit address in
// hexadecimal, parameter bytes in hexadecimal, a unit command with backslash escapes, and a
// frame as spaced hexadecimal bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace undarix::cli::codec {

// 1 to 16 hexadecimal digits, optionally after "0x"; blanks and colons between them are
// ignored ("0013A20040A1B2C3", "00 13 A2 00 40 A1 B2 C3", "FFFF"). False for anything else.
[[nodiscard]] bool ParseAddress64(std::string_view text, std::uint64_t& address);

// Hexadecimal digits, optionally after "0x", blanks ignored, as bytes most significant first;
// an odd number of digits gets a leading 0 ("7FF" is 07 FF). An empty text gives no bytes.
// False when a character is not a hexadecimal digit.
[[nodiscard]] bool ParseHexBytes(std::string_view text, std::string& bytes);

// Undoes the escapes \r, \n, \t, \\ and \xHH. False, with the offending escape in `error`,
// for any other backslash sequence.
[[nodiscard]] bool UnescapeText(std::string_view text, std::string& out, std::string& error);

// "7E 00 12 10 ..." in upper case, one blank between bytes.
[[nodiscard]] std::string SpacedHex(const std::uint8_t* bytes, std::size_t count);

} // namespace undarix::cli::codec
