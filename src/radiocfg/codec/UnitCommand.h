#pragma once

// The text commands of the radio units, formatted in one place. A command is two letters,
// for most a comma and an argument, and "\r\n":
//   integers "%i"; staff length, gain, offset and the automatic-calibration heights with
//   three decimals; calibration-point heights with four; dates and times as two-digit fields
//   with the year minus 2000; the serial number after the letter "W" and the byte 0xAA.
// Calibration-set commands take their first letter from the sensor current mode: current
// mode 1 addresses set 1 ("F" to write, "G" to read), any other mode set 2 ("S", "T").

#include <cstddef>
#include <string_view>

namespace undarix::radiocfg::codec {

// The longest command line, its terminating zero not counted. It fits the program's
// transmit buffer (52 bytes) with its zero.
inline constexpr std::size_t kMaxCommandLength = 51;

// The key letter of the serial-number command and of its acknowledge.
inline constexpr char kSerialNumberKey = char(0xAA);

struct CommandLine {
    char text[kMaxCommandLength + 1] = {};
    int length = 0; // 0 when the command would not fit

    [[nodiscard]] std::string_view View() const { return {text, std::size_t(length)}; }
};

[[nodiscard]] constexpr char WriteSetLetter(int currentMode) {
    return currentMode == 1 ? 'F' : 'S';
}
[[nodiscard]] constexpr char ReadSetLetter(int currentMode) {
    return currentMode == 1 ? 'G' : 'T';
}

// Decimals a calibration-set write carries for its key: 4 for the point heights ("P", "N"),
// 3 for the other reals ("S", "G", "O", "X", "Y"), 0 for the integer ones.
[[nodiscard]] int SetWriteDecimals(char key);

// "RX\r\n": a read command, or any command without an argument.
[[nodiscard]] CommandLine FormatRead(std::string_view letters);
// "WS,16\r\n": a command with an integer argument.
[[nodiscard]] CommandLine FormatInt(std::string_view letters, int value);
// "GT\r\n" / "TT\r\n": a calibration-set read for the current mode.
[[nodiscard]] CommandLine FormatSetRead(char key, int currentMode);
// "FT,1\r\n" / "ST,1\r\n": a calibration-set write with an integer ("T", "C", "F", "!").
[[nodiscard]] CommandLine FormatSetInt(char key, int currentMode, int value);
// "FS,1.500\r\n" / "SP,0.2500\r\n": a calibration-set write with a real, at the decimals of
// its key.
[[nodiscard]] CommandLine FormatSetReal(char key, int currentMode, double value);
// "WQ,20-06-01T10:00\r\n": the start time; the year with four digits.
[[nodiscard]] CommandLine FormatStartTime(int year, int month, int day, int hour, int minute);
// "WT,20-06-01T10:00:05\r\n": the clock.
[[nodiscard]] CommandLine FormatClock(int year, int month, int day, int hour, int minute,
                                      int second);
// "W" 0xAA ",serial\r\n"; a serial number too long for the line is cut.
[[nodiscard]] CommandLine FormatSerialNumber(std::string_view serial);

// The session's opening command, whose acknowledge is exactly "$WZ,2".
[[nodiscard]] CommandLine FormatOpenSession();

} // namespace undarix::radiocfg::codec
