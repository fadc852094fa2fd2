#include "core/codec/ConfigBlock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace undarix::core::codec {
namespace {

// `count` pairs from `first`, with their commas, as they stand in the block.
std::string Pairs(const char* block, int first, int count) {
    return std::string(block + PairOffset(first), std::size_t(3 * count));
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// The kind-3 unit of the reference block: version 23, a 3 m staff at defaults, 10 Hz,
// alarms off and at zero, serial output on.
core::WiredConfigRecord ReferenceRavoZerar() {
    core::WiredConfigRecord r;
    std::memcpy(r.Version, "23.00", 6);
    r.Prescale = 148;
    r.PrescaleRange = 0;
    r.Gain = 4096.0f;
    r.Offset = -500.0f;
    r.SampleRate = 10;
    r.StaffLength = 3000.0f;
    r.ModeFlags = 0x02;
    return r;
}

core::WiredConfigRecord SampleDeveZuravi() {
    core::WiredConfigRecord r;
    std::memcpy(r.Version, "31.00", 6);
    r.Prescale = 68;
    r.PrescaleRange = 8;
    r.Gain = 4100.0f;
    r.Offset = -820.0f;
    r.SampleRate = 4;
    r.StaffLength = 10000.0f;
    r.BurstLength = 20;
    r.BurstInterval = 255;
    r.FileInterval = 7;
    r.ClockSecond = 30;
    r.ClockMinute = 15;
    r.ClockHour = 12;
    r.ClockDay = 6;
    r.ClockMonth = 12;
    r.ClockYear = 2026;
    r.StartMinute = 45;
    r.StartHour = 23;
    r.StartDay = 31;
    r.StartMonth = 1;
    r.StartYear = 2027;
    r.LoggerSpare = 0xA5;
    r.ModeFlags = 0x32;
    return r;
}

TEST(WiredCharConversion, ReadsPairsByTheDigitRule) {
    struct Case {
        const char* text;
        int hex;
        int dec;
    } cases[] = {
        {"00", 0, 0},
        {"59", 0x59, 59},
        {"94", 148, 94},
        {"FF", 255, 165},
        {"A5", 0xA5, 105},
        {"DD", 221, 143},
        // Lowercase flows through as code - 55: 'f' is 47, so "ff" is 799 % 256.
        {"ff", 31, 5},
        {"0a", 42, 42},
        // Below '0' the digit goes negative and wraps.
        {" 0", 0, 96},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HexStr2Byte(c.text), c.hex) << c.text;
        EXPECT_EQ(DecStr2Byte(c.text), c.dec) << c.text;
    }
    EXPECT_NE(HexStr2Byte("ff"), 255);
}

TEST(WiredCharConversion, WritesPairs) {
    struct Case {
        int value;
        const char* dec;
        const char* hex; // Int2HexStr
    } cases[] = {
        {0, "00", "00"},
        {7, "07", "07"},
        {26, "26", "1A"},
        {99, "99", "63"},
        {100, ":0", "64"},
        {123, "<3", "7B"},
        {255, "I5", "FF"},
        // A 32-bit field beyond a byte: the high digit runs past 'F'.
        {256, "I6", "G0"},
    };
    for (const Case& c : cases) {
        char out[3] = {};
        Int2ASCII2Char(c.value, out);
        EXPECT_STREQ(out, c.dec) << c.value;
        Int2HexStr(c.value, out);
        EXPECT_STREQ(out, c.hex) << c.value;
    }
    char out[3] = {};
    Byte2HexStr(0xDD, out);
    EXPECT_STREQ(out, "DD");
    Byte2HexStr(0x0A, out);
    EXPECT_STREQ(out, "0A");
}

TEST(WiredConfigBlock, BuildsTheReferenceRavoZerarBlock) {
    char block[kBlockBufferSize + 8];
    std::memset(block, 'x', sizeof block);
    const std::size_t sent = BuildConfigBlock(ReferenceRavoZerar(), 3, block);
    const std::string expected = "23,94,00,10,00,FE,0C,0A," + Repeat("00,", 34) + "02,DD,";
    ASSERT_EQ(expected.size(), kBlockLength);
    EXPECT_EQ(sent, kBlockLength);
    EXPECT_EQ(std::string(block, sent), expected);
    EXPECT_EQ(block[kBlockLength], '\0');
    EXPECT_EQ(block[kBlockLength + 1], 'x') << "wrote past the NUL";
    EXPECT_TRUE(BlockChecksumMatches(block));
    EXPECT_EQ(BlockChecksum(block), 221);
}

TEST(WiredConfigBlock, DeveZuraviClockIsDecimalButSummedAsHex) {
    core::WiredConfigRecord r = SampleDeveZuravi();
    char block[kBlockBufferSize];
    ASSERT_EQ(BuildConfigBlock(r, 5, block), kBlockLength);
    EXPECT_EQ(Pairs(block, 11, 7), "30,15,12,00,06,12,26,");

    core::WiredConfigRecord zeroClock = r;
    zeroClock.ClockSecond = zeroClock.ClockMinute = zeroClock.ClockHour = 0;
    zeroClock.ClockDay = zeroClock.ClockMonth = 0;
    zeroClock.ClockYear = 2000;
    char zeroBlock[kBlockBufferSize];
    ASSERT_EQ(BuildConfigBlock(zeroClock, 5, zeroBlock), kBlockLength);
    EXPECT_EQ(Pairs(zeroBlock, 11, 7), Repeat("00,", 7));
    EXPECT_EQ(std::uint8_t(BlockChecksum(block) - BlockChecksum(zeroBlock)), 149);
    EXPECT_TRUE(BlockChecksumMatches(block));
}

TEST(WiredConfigBlock, DeveZuraviLayout) {
    char block[kBlockBufferSize];
    ASSERT_EQ(BuildConfigBlock(SampleDeveZuravi(), 6, block), kBlockLength);
    EXPECT_EQ(Pairs(block, 0, 11), "31,44,08,10,04,FC,CC,04,14,FF,07,");
    EXPECT_EQ(Pairs(block, 18, 5), "45,23,31,01,27,");
    EXPECT_EQ(Pairs(block, 23, 18), Repeat("00,", 18));
    EXPECT_EQ(Pairs(block, 41, 2), "A5,32,");
}

TEST(WiredConfigBlock, GainAndOffsetEncoding) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float value;
        const char* pairs;
    } cases[] = {
        {4096.0f, "10,00,"}, {-500.0f, "FE,0C,"},       {-820.0f, "FC,CC,"},
        {4551.1f, "11,C7,"},                       // truncated toward zero
        {-704.8f, "FD,40,"}, {40000.0f, "9C,40,"}, // low 16 bits
        {0.0f, "00,00,"},    {std::nanf(""), "00,00,"}, {inf, "00,00,"},
        {-inf, "00,00,"},    {3.0e9f, "00,00,"},        {-3.0e9f, "00,00,"}, // beyond 32 bits
        {-2.0e9f, "6C,00,"}, // within 32 bits: -2000000000 is 0x88CA6C00
    };
    for (const Case& c : cases) {
        core::WiredConfigRecord r = ReferenceRavoZerar();
        r.Gain = c.value;
        r.Offset = c.value;
        char block[kBlockBufferSize];
        ASSERT_EQ(BuildConfigBlock(r, 3, block), kBlockLength);
        EXPECT_EQ(Pairs(block, 3, 2), c.pairs) << c.value;
        EXPECT_EQ(Pairs(block, 5, 2), c.pairs) << c.value;
    }
    EXPECT_EQ(EncodeGainOffset(-2.0e9f), 0x6C00);
    EXPECT_EQ(EncodeGainOffset(kDefaultGain), 0x1000);
    EXPECT_EQ(EncodeGainOffset(kDefaultOffsetTableA), 0xFE0C);
    EXPECT_EQ(EncodeGainOffset(kDefaultOffsetTableB), 0xFCCC);
}

TEST(WiredConfigBlock, ReceivedGainIsSigned16Bit) {
    struct Case {
        float sent;
        int received;
        bool taken;
    } cases[] = {
        {40000.0f, -25536, false}, {4551.1f, 4551, true},   {-704.8f, -704, true},
        {-32768.0f, -32768, true}, {32767.0f, 32767, true}, {32768.0f, -32768, false},
    };
    for (const Case& c : cases) {
        core::WiredConfigRecord r = ReferenceRavoZerar();
        r.Gain = c.sent;
        r.Offset = -c.sent;
        char block[kBlockBufferSize];
        ASSERT_EQ(BuildConfigBlock(r, 3, block), kBlockLength);
        EXPECT_EQ(BlockGain(block), c.received) << c.sent;
        EXPECT_EQ(GainOffsetTaken(c.sent, BlockGain(block)), c.taken) << c.sent;
        core::WiredConfigRecord back;
        back.StaffLength = r.StaffLength;
        ASSERT_TRUE(DecodeConfigBlock(block, 3, back));
        EXPECT_EQ(back.Gain, float(c.received)) << c.sent;
        EXPECT_EQ(back.Offset, float(BlockOffset(block))) << c.sent;
    }
}

TEST(WiredConfigBlock, EditedAlarmLevels) {
    struct Case {
        float levelMm;
        float staffMm;
        const char* pairs;
    } cases[] = {
        {5000.0f, 3000.0f, "0F,FF,"}, // above the staff
        {3000.0f, 3000.0f, "0F,FF,"},
        {-100.0f, 3000.0f, "00,00,"},
        {1000.0f, 0.0f, "00,00,"}, // no staff length: never divides by zero
        // Truncated toward zero, never rounded up.
        {1500.0f, 3000.0f, "07,FF,"}, // 2047.5
        {1500.0f, 4000.0f, "05,FF,"}, // 1535.6
        {2999.9f, 3000.0f, "0F,FE,"}, // 4094.86
        {0.7f, 3000.0f, "00,00,"},    // 0.96
        {2000.0f, 4095.0f, "07,D0,"}, // exactly 2000 counts
        {300.0f, 4095.0f, "01,2C,"},  // exactly 300, 300.00001 as a float
        {std::nanf(""), 3000.0f, "00,00,"},
        {1.0e30f, 3000.0f, "0F,FF,"},
    };
    for (const Case& c : cases) {
        core::WiredConfigRecord r = ReferenceRavoZerar();
        r.StaffLength = c.staffMm;
        r.Alarm2Off = c.levelMm; // its counts (0) no longer match: an edited level
        char block[kBlockBufferSize];
        ASSERT_EQ(BuildConfigBlock(r, 3, block), kBlockLength);
        EXPECT_EQ(Pairs(block, 23, 2), c.pairs) << c.levelMm << " of " << c.staffMm;
        EXPECT_EQ(Pairs(block, 17, 6), Repeat("00,", 6));
        EXPECT_TRUE(BlockChecksumMatches(block));
    }
}

// A level read from the unit and not edited goes back with the counts it came with, whatever
// the staff length; converting it through millimetres must not move it either.
TEST(WiredConfigBlock, UneditedAlarmLevelsGoBackAsRead) {
    const float staffs[] = {250.0f, 1500.0f, 3000.0f, 7000.0f, 12500.0f, 19500.0f, 0.0f};
    for (float staff : staffs) {
        for (int counts = 0; counts <= kAlarmFullScale; ++counts) {
            core::WiredConfigRecord r = ReferenceRavoZerar();
            r.StaffLength = staff;
            char block[kBlockBufferSize];
            ASSERT_EQ(BuildConfigBlock(r, 3, block), kBlockLength);
            WriteWordPairs(block, 17, std::uint16_t(counts));
            WriteWordPairs(block, 23, std::uint16_t(kAlarmFullScale - counts));

            ASSERT_TRUE(DecodeConfigBlock(block, 3, r));
            char again[kBlockBufferSize];
            ASSERT_EQ(BuildConfigBlock(r, 3, again), kBlockLength);
            ASSERT_EQ(ReadWordPairs(again, 17), counts) << staff;
            ASSERT_EQ(ReadWordPairs(again, 23), kAlarmFullScale - counts) << staff;
            if (staff > 0.0f) {
                ASSERT_EQ(AlarmLevel2Counts(AlarmCounts2Level(counts, staff), staff), counts)
                    << staff;
            }
        }
    }
}

TEST(WiredConfigBlock, AlarmLevelFollowsItsMillimetresWhenTheStaffChanges) {
    core::WiredConfigRecord r = ReferenceRavoZerar();
    char block[kBlockBufferSize];
    ASSERT_EQ(BuildConfigBlock(r, 3, block), kBlockLength);
    WriteWordPairs(block, 17, 2048); // 1500.37 mm of 3 m
    ASSERT_TRUE(DecodeConfigBlock(block, 3, r));
    EXPECT_NEAR(r.Alarm1On, 1500.37f, 0.01f);

    r.StaffLength = 5000.0f; // new staff: the level keeps its height (1228.8, truncated)
    EXPECT_EQ(AlarmCountsToSend(r, 0), 1228);

    r.StaffLength = 3000.0f;
    r.Alarm1On = 2000.0f; // edited by the user
    EXPECT_EQ(AlarmCountsToSend(r, 0), 2730);
    EXPECT_EQ(AlarmCountsToSend(r, 1), 0);
}

TEST(WiredConfigBlock, NothingButTheRequestWhileNoBlockWasRead) {
    core::WiredConfigRecord r = ReferenceRavoZerar();
    std::memset(r.Version, 0, sizeof r.Version);
    for (int kind : {3, 4, 5, 6}) {
        char block[kBlockBufferSize];
        EXPECT_EQ(BuildConfigBlock(r, kind, block), 0u) << kind;
        EXPECT_EQ(block[0], '\0');
    }
    for (int kind : {0, 1, 2, 7, 8, -1}) {
        char block[kBlockBufferSize] = {'x'};
        EXPECT_EQ(BuildConfigBlock(ReferenceRavoZerar(), kind, block), 0u) << kind;
        EXPECT_EQ(block[0], '\0');
        core::WiredConfigRecord untouched;
        EXPECT_FALSE(DecodeConfigBlock("23,94,00,10,00,FE,0C,0A,", kind, untouched));
        EXPECT_EQ(untouched.Version[0], '\0');
    }
}

TEST(WiredConfigBlock, ChecksumCatchesCorruption) {
    char block[kBlockBufferSize];
    ASSERT_EQ(BuildConfigBlock(ReferenceRavoZerar(), 3, block), kBlockLength);
    ASSERT_TRUE(BlockChecksumMatches(block));

    struct Case {
        std::size_t at;
        char c;
    } cases[] = {
        {10, '1'},  // gain
        {21, '1'},  // sample rate
        {16, 'e'},  // "FE" as "Fe": lowercase is not the same digit
        {129, 'E'}, // the checksum itself
    };
    for (const Case& c : cases) {
        char bad[kBlockBufferSize];
        std::memcpy(bad, block, sizeof bad);
        bad[c.at] = c.c;
        EXPECT_FALSE(BlockChecksumMatches(bad)) << c.at;
    }
    // The checksum ignores the commas.
    char commas[kBlockBufferSize];
    std::memcpy(commas, block, sizeof commas);
    commas[2] = ';';
    EXPECT_TRUE(BlockChecksumMatches(commas));
}

TEST(WiredConfigBlock, RavoZerarRoundTrip) {
    for (int kind : {3, 4}) {
        core::WiredConfigRecord sent = ReferenceRavoZerar();
        sent.Prescale = 178;
        sent.PrescaleRange = 8;
        sent.StaffLength = 5000.0f;
        sent.Gain = 4551.0f;
        sent.Offset = -704.0f;
        sent.SampleRate = 33;
        sent.ModeFlags = 0xF7;
        sent.AlarmFlags = 0x07;
        sent.Alarm1On = 4000.0f;
        sent.Alarm1Off = 3500.0f;
        sent.Alarm2On = 1000.0f;
        sent.Alarm2Off = 1250.0f;
        char block[kBlockBufferSize];
        ASSERT_EQ(BuildConfigBlock(sent, kind, block), kBlockLength);
        // Zeros where the Deve Zuravi fields would be, whatever the record holds.
        EXPECT_EQ(Pairs(block, 8, 8), Repeat("00,", 8));
        EXPECT_EQ(Pairs(block, 25, 17), Repeat("00,", 17));
        // The builder sends the flags as they stand; kind 4's caller clears bits 1 and 2.
        EXPECT_EQ(ReadHexPair(block, 16), 0x07);

        core::WiredConfigRecord back;
        back.StaffLength = sent.StaffLength;
        back.Alarm1On = -1.0f;
        DecodeBlockPrescale(block, back);
        EXPECT_EQ(back.Prescale, 178);
        EXPECT_EQ(back.PrescaleRange, 8);
        ASSERT_TRUE(DecodeConfigBlock(block, kind, back));
        EXPECT_STREQ(back.Version, "23.00");
        EXPECT_EQ(back.Gain, 4551.0f);
        EXPECT_EQ(back.Offset, -704.0f);
        EXPECT_EQ(back.SampleRate, 33);
        EXPECT_EQ(back.ModeFlags, 0xF7);
        if (kind == 3) {
            EXPECT_EQ(back.AlarmFlags, 0x07);
            EXPECT_EQ(back.Alarm1OnCounts, 3276);
            EXPECT_NEAR(back.Alarm1On, 4000.0f, 1.0f);
            EXPECT_NEAR(back.Alarm1Off, 3500.0f, 1.0f);
            EXPECT_NEAR(back.Alarm2On, 1000.0f, 1.0f);
            EXPECT_NEAR(back.Alarm2Off, 1250.0f, 1.0f);
            // Sent again unchanged, the block is the same text.
            char again[kBlockBufferSize];
            ASSERT_EQ(BuildConfigBlock(back, kind, again), kBlockLength);
            EXPECT_STREQ(again, block);
        } else {
            EXPECT_EQ(back.AlarmFlags, 0); // kind 4 leaves the alarm fields alone
            EXPECT_EQ(back.Alarm1On, -1.0f);
        }
    }
}

TEST(WiredConfigBlock, DeveZuraviRoundTrip) {
    for (int kind : {5, 6}) {
        const core::WiredConfigRecord sent = SampleDeveZuravi();
        char block[kBlockBufferSize];
        ASSERT_EQ(BuildConfigBlock(sent, kind, block), kBlockLength);
        core::WiredConfigRecord back;
        back.ClockSpare = 77; // pair 14 is not read
        back.AlarmFlags = 0x55;
        DecodeBlockPrescale(block, back);
        ASSERT_TRUE(DecodeConfigBlock(block, kind, back));
        EXPECT_STREQ(back.Version, "31.00");
        EXPECT_EQ(back.Gain, sent.Gain);
        EXPECT_EQ(back.Offset, sent.Offset);
        EXPECT_EQ(back.SampleRate, sent.SampleRate);
        EXPECT_EQ(back.BurstLength, sent.BurstLength);
        EXPECT_EQ(back.BurstInterval, sent.BurstInterval);
        EXPECT_EQ(back.FileInterval, sent.FileInterval);
        EXPECT_EQ(back.ClockSecond, 30);
        EXPECT_EQ(back.ClockMinute, 15);
        EXPECT_EQ(back.ClockHour, 12);
        EXPECT_EQ(back.ClockSpare, 77);
        EXPECT_EQ(back.ClockDay, 6);
        EXPECT_EQ(back.ClockMonth, 12);
        EXPECT_EQ(back.ClockYear, 2026);
        EXPECT_EQ(back.StartMinute, 45);
        EXPECT_EQ(back.StartHour, 23);
        EXPECT_EQ(back.StartDay, 31);
        EXPECT_EQ(back.StartMonth, 1);
        EXPECT_EQ(back.StartYear, 2027);
        EXPECT_EQ(back.LoggerSpare, 0xA5);
        EXPECT_EQ(back.ModeFlags, 0x32);
        EXPECT_EQ(back.AlarmFlags, 0x55); // no alarms in a Deve Zuravi block

        back.ClockSpare = 0;

        char again[kBlockBufferSize];
        ASSERT_EQ(BuildConfigBlock(back, kind, again), kBlockLength);
        EXPECT_STREQ(again, block);
    }
}

// A Deve Zuravi block is decoded whatever its checksum; letters in a decimal pair follow the
// digit rule instead of being refused.
TEST(WiredConfigBlock, DeveZuraviDecodesOddPairs) {
    char block[kBlockBufferSize];
    ASSERT_EQ(BuildConfigBlock(SampleDeveZuravi(), 5, block), kBlockLength);
    block[PairOffset(13)] = 'A'; // hour "A2"
    block[PairOffset(43)] = '0';
    EXPECT_FALSE(BlockChecksumMatches(block));
    core::WiredConfigRecord back;
    ASSERT_TRUE(DecodeConfigBlock(block, 5, back));
    EXPECT_EQ(back.ClockHour, 102);
    EXPECT_EQ(back.ClockSecond, 30);
}

} // namespace
} // namespace undarix::core::codec
