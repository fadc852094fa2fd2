// The unit command language: every command's text, the read sequences, the reply fields and
// the calendar sums on the units' dates.

#include "radiocfg/codec/ReadSequence.h"
#include "radiocfg/codec/UnitCalendar.h"
#include "radiocfg/codec/UnitCommand.h"
#include "radiocfg/codec/UnitReply.h"
#include "support/CNumbers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace undarix::testing {
namespace {

using namespace radiocfg::codec;

TEST(UnitCommandTest, EachFormOfArgumentIsWrittenAsTheUnitsRead) {
    struct Case {
        CommandLine line;
        std::string text;
    };
    const Case cases[] = {
        {FormatRead("RX"), "RX\r\n"},
        {FormatOpenSession(), "WZ,2\r\n"},
        {FormatInt("WS", 16), "WS,16\r\n"},
        {FormatInt("WC", -12), "WC,-12\r\n"},
        {FormatSetRead('T', 1), "GT\r\n"},
        {FormatSetRead('A', 2), "TA\r\n"},
        {FormatSetInt('T', 1, 3), "FT,3\r\n"},
        {FormatSetInt('!', 2, 1), "S!,1\r\n"},
        {FormatSetReal('S', 1, 1.5), "FS,1.500\r\n"},
        {FormatSetReal('S', 2, 1.5), "SS,1.500\r\n"},
        {FormatSetReal('S', 1, 0.25), "FS,0.250\r\n"},
        {FormatSetReal('P', 1, 0.25), "FP,0.2500\r\n"},
        {FormatSetReal('N', 2, 0.5), "SN,0.5000\r\n"},
        {FormatSetReal('G', 1, -1.2345), "FG,-1.234\r\n"},
        {FormatSetReal('Y', 1, 2.0), "FY,2.000\r\n"},
        {FormatStartTime(2020, 6, 1, 10, 0), "WQ,20-06-01T10:00\r\n"},
        {FormatClock(2014, 1, 2, 3, 4, 5), "WT,14-01-02T03:04:05\r\n"},
        {FormatSerialNumber("RZ-0042"), "W\xAA,RZ-0042\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::string(c.line.View()), c.text);
        EXPECT_EQ(c.line.text[c.line.length], '\0');
    }
}

TEST(UnitCommandTest, ASerialNumberTooLongForTheBufferIsCutAndTheLineStillEnds) {
    const CommandLine line = FormatSerialNumber(std::string(80, '7'));
    ASSERT_EQ(line.length, int(kMaxCommandLength));
    EXPECT_EQ(std::string(line.View()).substr(0, 3), "W\xAA,");
    EXPECT_EQ(std::string(line.View()).substr(line.length - 2), "\r\n");
}

std::vector<std::string> Sequence(int kind, int version12, int currentMode) {
    std::vector<std::string> commands;
    for (int n = 1; n <= ReadSequenceLength(kind, version12); ++n) {
        std::string text(ReadSequenceCommand(kind, n, version12, currentMode).View());
        commands.push_back(text.substr(0, text.size() - 2));
    }
    return commands;
}

TEST(ReadSequenceTest, EachKindIsReadWithItsOwnCommandsInOrder) {
    const std::vector<std::string> common = {"WZ,2", "RX", "RH", "RK", "RD", "RS", "RL", "RI",
                                             "RF",   "RO", "RR", "RQ", "RT", "RC", "RP", "RV"};
    auto with = [&](std::vector<std::string> tail) {
        std::vector<std::string> all = common;
        all.insert(all.end(), tail.begin(), tail.end());
        return all;
    };
    EXPECT_EQ(Sequence(0, 1, 1), with({"RW", "GT", "GS", "GA"}));
    EXPECT_EQ(Sequence(0, 0, 1), with({"RW", "GT", "GS", "GG", "GO", "GL", "GH"}));
    EXPECT_EQ(Sequence(0, 1, 2), with({"RW", "TT", "TS", "TA"}));
    EXPECT_EQ(Sequence(0, 0, 2), with({"RW", "TT", "TS", "TG", "TO", "TL", "TH"}));
    EXPECT_EQ(Sequence(1, 0, 2), with({"RG", "RU", "RY", "GT", "GS", "GA"}));
    EXPECT_EQ(Sequence(2, 1, 1), with({"RG", "RU", "RY", "GT", "GS", "GA"}));
    for (int kind = 3; kind <= 7; ++kind) {
        EXPECT_EQ(ReadSequenceLength(kind, 1), 0);
        EXPECT_EQ(ReadSequenceCommand(kind, 1, 1, 1).length, 0);
    }
    EXPECT_EQ(ReadSequenceCommand(0, 21, 1, 1).View(), "GO\r\n"); // still named past 20
    EXPECT_EQ(ReadSequenceCommand(0, 24, 0, 1).length, 0);
    EXPECT_EQ(ReadSequenceCommand(1, 23, 1, 1).length, 0);
    EXPECT_EQ(ReadSequenceCommand(0, 0, 1, 1).length, 0);
}

TEST(UnitReplyTest, FieldsAreReadWithinTheReplyOnly) {
    EXPECT_EQ(ParseReplyHead("$RS,16").family, 'R');
    EXPECT_EQ(ParseReplyHead("$RS,16").key, 'S');
    EXPECT_EQ(ParseReplyHead("RS,16").family, 0);
    EXPECT_EQ(ParseReplyHead("$R").family, 0);
    EXPECT_EQ(ReplyInt("$RS,16"), 16);
    EXPECT_EQ(ReplyInt("$RC,-12"), -12);
    EXPECT_EQ(ReplyInt("$RS,"), 0);
    EXPECT_EQ(ReplyInt("$RS"), 0);
    EXPECT_DOUBLE_EQ(ReplyReal("$RV,3.125"), 3.125);
    EXPECT_EQ(ReplyText("$RK,2.10"), "2.10");
    EXPECT_EQ(ReplyText("$RK"), "");

    const DateTimeFields t = ReplyDateTime("$RT,2026-12-07T12:34:56");
    EXPECT_EQ(t.year, 2026);
    EXPECT_EQ(t.month, 12);
    EXPECT_EQ(t.day, 7);
    EXPECT_EQ(t.hour, 12);
    EXPECT_EQ(t.minute, 34);
    EXPECT_EQ(t.second, 56);
    EXPECT_EQ(ReplyDateTime("$RQ,2026-12-07T12:34").second, 0); // no seconds field
    EXPECT_EQ(ReplyDateTime("$RQ,2026-12").day, 0);

    std::string table = "$GA,";
    for (int k = 0; k < 12; ++k) {
        table += CPrintf("%8.4f,", 0.25 * (k + 1));
    }
    for (int k = 0; k < 12; ++k)
        EXPECT_DOUBLE_EQ(ReplyTablePoint(table, k), 0.25 * (k + 1)) << k;
    EXPECT_DOUBLE_EQ(ReplyTablePoint(table.substr(0, 4 + 9 * 3), 2), 0.75);
    EXPECT_DOUBLE_EQ(ReplyTablePoint(table.substr(0, 4 + 9 * 3), 3), 0.0);
    EXPECT_DOUBLE_EQ(ReplyTablePoint(table, 12), 0.0);
}

TEST(UnitReplyTest, OnlyTheExactOpeningAcknowledgeAndModelCodesCount) {
    EXPECT_TRUE(IsSessionAcknowledge("$WZ,2"));
    EXPECT_FALSE(IsSessionAcknowledge("$WZ,2 "));
    EXPECT_FALSE(IsSessionAcknowledge("$WZ,2x"));
    EXPECT_FALSE(IsSessionAcknowledge("$WZ,"));

    EXPECT_EQ(KindFromModel("$RH,TALQ-310-435-XB"), 1);
    EXPECT_EQ(KindFromModel("$RH,TALQ-310-436"), 2);
    EXPECT_EQ(KindFromModel("$RH,TALQ-310-406-XB"), 0);
    EXPECT_EQ(KindFromModel("$RH,TALQ-310-43"), 0); // too short to name a sonic kind
    EXPECT_EQ(KindFromModel("$RH"), 0);
}

TEST(UnitReplyTest, EchoesAreComparedAtThePrecisionTheCommandCarried) {
    struct Case {
        double echoed, sent;
        int decimals;
        bool match;
    };
    const Case cases[] = {
        {0.1, 0.1, 4, true},
        {0.1, double(0.1f), 4, true}, // a single-precision control
                                      // value
        {0.1000, 0.10004, 4, true},   // sent as "0.1000"
        {0.1001, 0.1, 4, false},
        {1.5, 1.5, 3, true},
        {2.345, double(2.345f), 3, true},
        {1.501, 1.5, 3, false},
        {-0.05, -0.05, 3, true},
        {0.0, 1e300, 3, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EchoMatches(c.echoed, c.sent, c.decimals), c.match)
            << c.echoed << " " << c.sent << " " << c.decimals;
}

TEST(UnitCalendarTest, MonthsAndTheMinuteAfter) {
    const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(DaysInMonth(2019, month), days[month - 1]) << month;
    EXPECT_EQ(DaysInMonth(2020, 2), 29);
    EXPECT_EQ(DaysInMonth(2100, 2), 29); // the units' calendar has no century rule

    struct Case {
        DateTimeFields stored, shown;
    };
    const Case cases[] = {
        {{2019, 12, 31, 23, 59, 0}, {2020, 1, 1, 0, 0, 0}},
        {{2019, 2, 28, 23, 59, 0}, {2019, 3, 1, 0, 0, 0}},
        {{2020, 2, 28, 23, 59, 0}, {2020, 2, 29, 0, 0, 0}},
        {{2020, 4, 30, 23, 59, 0}, {2020, 5, 1, 0, 0, 0}},
        {{2020, 6, 1, 10, 0, 0}, {2020, 6, 1, 10, 1, 0}},
        {{2020, 6, 1, 10, 59, 0}, {2020, 6, 1, 11, 0, 0}},
        // Garbled replies are shown as they came, never carried (nor overflowed).
        {{2020, 6, 1, 10, 2147483647, 0}, {2020, 6, 1, 10, 2147483647, 0}},
        {{2147483647, 12, 31, 23, 59, 0}, {2147483647, 12, 31, 23, 59, 0}},
        {{2020, 6, 1, 24, 59, 0}, {2020, 6, 1, 24, 59, 0}},
        {{2020, 2, 30, 23, 59, 0}, {2020, 2, 30, 23, 59, 0}},
        {{2020, 13, 1, 23, 59, 0}, {2020, 13, 1, 23, 59, 0}},
        {{2020, 6, 1, 10, -1, 0}, {2020, 6, 1, 10, -1, 0}},
    };
    for (const Case& c : cases) {
        const DateTimeFields t = AddOneMinute(c.stored);
        EXPECT_EQ(t.year, c.shown.year);
        EXPECT_EQ(t.month, c.shown.month);
        EXPECT_EQ(t.day, c.shown.day);
        EXPECT_EQ(t.hour, c.shown.hour);
        EXPECT_EQ(t.minute, c.shown.minute);
    }
}

TEST(UnitCalendarTest, ClockDifferenceStaysWithinHalfADay) {
    auto at = [](int h, int m, double s) { return h * 3600.0 + m * 60.0 + s; };
    EXPECT_DOUBLE_EQ(ClockDifference(at(12, 0, 2), at(12, 0, 0)), 2.0);
    EXPECT_DOUBLE_EQ(ClockDifference(at(13, 0, 1), at(12, 59, 59)), 2.0);
    EXPECT_DOUBLE_EQ(ClockDifference(at(23, 59, 59), at(0, 0, 1)), -2.0);
    EXPECT_DOUBLE_EQ(ClockDifference(at(0, 0, 1), at(23, 59, 59)), 2.0);
    EXPECT_DOUBLE_EQ(ClockDifference(at(11, 0, 0), at(12, 0, 0.5)), -3600.5);
    const double wild = ClockDifference(at(99999, 0, 0), 0.0);
    EXPECT_LE(std::abs(wild), 43200.0);
}

} // namespace
} // namespace undarix::testing
