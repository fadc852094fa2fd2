#pragma once

// The reply lines of the radio units: "$", the family letter, the key letter (the second
// letter of the command answered), a comma, and the value from character 4. Multi-field
// replies keep their fields at fixed positions. Every reader is bounded by the reply's own
// length: a field past the end reads as 0, never as whatever an earlier, longer reply left
// in a buffer.

#include <string_view>

namespace undarix::radiocfg::codec {

// Families: reply to a read; acknowledge of a general write; calibration set 1 and set 2
// read replies; calibration set 1 and set 2 write acknowledges.
inline constexpr char kReadFamily = 'R';
inline constexpr char kWriteFamily = 'W';
inline constexpr char kSet1ReadFamily = 'G';
inline constexpr char kSet2ReadFamily = 'T';
inline constexpr char kSet1WriteFamily = 'F';
inline constexpr char kSet2WriteFamily = 'S';

inline constexpr std::size_t kValueStart = 4;

// Positions of the date and time fields of "$RQ," and "$RT," (and "$RZ,"): yyyy-mm-ddThh:mm:ss.
inline constexpr std::size_t kYearPos = 4;
inline constexpr std::size_t kMonthPos = 9;
inline constexpr std::size_t kDayPos = 12;
inline constexpr std::size_t kHourPos = 15;
inline constexpr std::size_t kMinutePos = 18;
inline constexpr std::size_t kSecondPos = 21;

// The calibration table "$GA,"/"$TA,": 12 values, value k at 4 + 9k.
inline constexpr int kTablePoints = 12;
inline constexpr std::size_t kTableStep = 9;

// Characters 13 to 15 of a model reply tell the sonic kinds apart.
inline constexpr std::size_t kModelKindPos = 13;

struct ReplyHead {
    char family = 0;
    char key = 0;
};

// The family and key of a reply; family 0 when the text is not a reply ("$" and two letters).
[[nodiscard]] ReplyHead ParseReplyHead(std::string_view reply);

// An integer or a real starting at `pos`; 0 when the reply ends before it or holds no number.
[[nodiscard]] int ReplyInt(std::string_view reply, std::size_t pos = kValueStart);
[[nodiscard]] double ReplyReal(std::string_view reply, std::size_t pos = kValueStart);
// The text from character 4 on.
[[nodiscard]] std::string_view ReplyText(std::string_view reply);

struct DateTimeFields {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
[[nodiscard]] DateTimeFields ReplyDateTime(std::string_view reply);

// Value k (0..11) of a calibration-table reply.
[[nodiscard]] double ReplyTablePoint(std::string_view reply, int k);

// The session's opening acknowledge: exactly "$WZ,2", nothing before or after.
[[nodiscard]] bool IsSessionAcknowledge(std::string_view reply);

// The unit kind a model reply names: 1 for "435", 2 for "436" at characters 13 to 15, else 0.
[[nodiscard]] int KindFromModel(std::string_view reply);

// Whether an echoed value is the one sent: both rounded to the decimals the command carried
// (a height sent as "0.1000" and echoed "0.1000" matches the 0.1 it came from).
[[nodiscard]] bool EchoMatches(double echoed, double sent, int decimals);

} // namespace undarix::radiocfg::codec
