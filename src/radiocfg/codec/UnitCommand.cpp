#include "radiocfg/codec/UnitCommand.h"

#include "link/codec/DecimalText.h"

#include <cstdarg>
#include <cstdio>

namespace undarix::radiocfg::codec {
namespace {

// printf into a command line; a line that does not fit is left empty rather than cut,
// since a cut command would be a different command. Integers and texts only: a real would
// follow the user's locale here (see FormatSetReal).
CommandLine Format(const char* format, ...) {
    CommandLine line;
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line.text, sizeof line.text, format, args);
    va_end(args);
    if (n < 0 || std::size_t(n) > kMaxCommandLength) {
        line.text[0] = '\0';
        return line;
    }
    line.length = n;
    return line;
}

bool TwoLetters(std::string_view letters) {
    return letters.size() == 2;
}

} // namespace

int SetWriteDecimals(char key) {
    switch (key) {
    case 'P':
    case 'N': return 4;
    case 'S':
    case 'G':
    case 'O':
    case 'X':
    case 'Y': return 3;
    default: return 0;
    }
}

CommandLine FormatRead(std::string_view letters) {
    if (!TwoLetters(letters)) return {};
    return Format("%c%c\r\n", letters[0], letters[1]);
}

CommandLine FormatInt(std::string_view letters, int value) {
    if (!TwoLetters(letters)) return {};
    return Format("%c%c,%i\r\n", letters[0], letters[1], value);
}

CommandLine FormatSetRead(char key, int currentMode) {
    return Format("%c%c\r\n", ReadSetLetter(currentMode), key);
}

CommandLine FormatSetInt(char key, int currentMode, int value) {
    return Format("%c%c,%i\r\n", WriteSetLetter(currentMode), key, value);
}

CommandLine FormatSetReal(char key, int currentMode, double value) {
    const int decimals = SetWriteDecimals(key);
    // The unit reads a decimal point, whatever the PC's locale writes.
    char number[kMaxCommandLength + 1];
    const std::size_t n =
        link::codec::FormatFixed(value, decimals == 0 ? 3 : decimals, number, sizeof number);
    if (n == 0) return {};
    return Format("%c%c,%.*s\r\n", WriteSetLetter(currentMode), key, int(n), number);
}

CommandLine FormatStartTime(int year, int month, int day, int hour, int minute) {
    return Format("WQ,%02i-%02i-%02iT%02i:%02i\r\n", year - 2000, month, day, hour, minute);
}

CommandLine FormatClock(int year, int month, int day, int hour, int minute, int second) {
    return Format("WT,%02i-%02i-%02iT%02i:%02i:%02i\r\n", year - 2000, month, day, hour, minute,
                  second);
}

CommandLine FormatSerialNumber(std::string_view serial) {
    constexpr std::size_t kFrame = 5; // "W", 0xAA, ",", "\r\n"
    const std::size_t keep =
        serial.size() > kMaxCommandLength - kFrame ? kMaxCommandLength - kFrame : serial.size();
    return Format("W%c,%.*s\r\n", kSerialNumberKey, int(keep), serial.data());
}

CommandLine FormatOpenSession() {
    return FormatInt("WZ", 2);
}

} // namespace undarix::radiocfg::codec
