// Decoding the units' texts: numbers, single-value records and sample blocks, each bounded by
// the text it is given.

#include "live/codec/SampleText.h"
#include "link/codec/DecimalText.h"
#include "support/CNumbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

namespace undarix::testing {
namespace {

using namespace live::codec;
using link::codec::ReadDecimal;
using link::codec::ReadDecimalReal;

std::string Int16s(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) {
        s += char(std::uint16_t(v) & 0xFF);
        s += char(std::uint16_t(v) >> 8);
    }
    return s;
}

std::string Float32(float value) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    return {char(bits), char(bits >> 8), char(bits >> 16), char(bits >> 24)};
}

const std::string kHeader = "004,S16,B2,2026-12-07T12:00:05,,";

TEST(DecimalText, ReadsLikeTheUnitsWriteAndStopsAtTheEnd) {
    struct Case {
        std::string text;
        int integer;
        double real;
    };
    const Case cases[] = {
        {"01234", 1234, 1234.0}, {" -42,", -42, -42.0},
        {"12.5x", 12, 12.5},     {"", 0, 0.0},
        {"abc", 0, 0.0},         {"+7", 7, 7.0},
        {"-0.0625", 0, -0.0625}, {"99999999999", 2147483647, 99999999999.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadDecimal(c.text), c.integer);
        EXPECT_DOUBLE_EQ(ReadDecimalReal(c.text).value, c.real);
    }
    // The view ends the number even where the buffer goes on.
    const char buffer[] = "12345678";
    EXPECT_EQ(ReadDecimal(std::string_view(buffer, 4)), 1234);
    EXPECT_EQ(ReadDecimalReal(std::string_view(buffer, 0)).digits, 0);
}

// What goes to the units and the files: a decimal point in every locale, the digits and the
// rounding of the C library's "%.*f" and "%0*.*f" in the C locale.
TEST(DecimalText, WritesAsTheCLocalePrintsWhateverTheLocale) {
    using link::codec::FormatFixed;
    using link::codec::FormatFixedPadded;
    struct Case {
        double value;
        int width; // 0: not padded
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {0.5, 0, 4, "0.5000"},         {1.5, 0, 3, "1.500"},
        {0.25, 0, 4, "0.2500"},        {-0.00004, 0, 4, "-0.0000"},
        {0.125, 0, 2, "0.12"},         {2.675, 0, 2, "2.67"},
        {1e9, 0, 3, "1000000000.000"}, {7.0, 0, 0, "7"},
        {21.9, 4, 1, "21.9"},          {5.0, 4, 1, "05.0"},
        {-5.25, 4, 1, "-5.2"},         {-0.5, 5, 1, "-00.5"},
        {123.45, 4, 1, "123.5"},       {std::nan(""), 5, 1, "  nan"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        char text[64];
        const std::size_t n =
            c.width == 0 ? FormatFixed(c.value, c.decimals, text, sizeof text)
                         : FormatFixedPadded(c.value, c.width, c.decimals, text, sizeof text);
        EXPECT_EQ(std::string(text, n), c.text);
    }
    char small[4];
    EXPECT_EQ(FormatFixed(12.5, 3, small, sizeof small), 0u) << "does not fit";

    std::mt19937 random(17);
    std::uniform_real_distribution<double> values(-2000.0, 2000.0);
    for (int i = 0; i < 20000; ++i) {
        const double value = values(random);
        const int decimals = i % 5;
        char text[64];
        const std::size_t n = FormatFixedPadded(value, 7, decimals, text, sizeof text);
        ASSERT_EQ(std::string(text, n), CPrintf("%07.*f", decimals, value)) << value;
    }
}

TEST(SampleText, SingleValueRecords) {
    struct Case {
        std::string text;
        bool tenths;
        char type;
        int device;
        int rate;
        float value;
    };
    const Case cases[] = {
        {"C003,D1,S08,01234", false, '1', 3, 8, 1.234f},
        {"C003,D1,S08,01234", true, '1', 3, 8, 0.1234f},
        {"C001,D1,S08,09997\r\n", true, '1', 1, 8, 0.9997f},
        {"C255,D1,S32,-0150", false, '1', 255, 32, -0.15f},
        {"C003,D1,S08,", false, 0, 3, 0, 0.0f}, // no value field: no sample
        {"C003,D", false, 0, 3, 0, 0.0f},
        {"C003,D5,xyz", false, '5', 3, 0, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const SingleRecord r = DecodeSingleRecord(c.text, c.tenths);
        EXPECT_EQ(r.type, c.type);
        EXPECT_EQ(r.deviceNumber, c.device);
        EXPECT_EQ(r.sampleRate, c.rate);
        EXPECT_FLOAT_EQ(r.value, c.value);
    }
    EXPECT_EQ(std::string(DecodeSingleRecord("C001,D8,2026-12-07", false).date, 10), "2026-12-07");
    EXPECT_EQ(DecodeSingleRecord("C001,D8,2026-12-0", false).type, 0);
    EXPECT_EQ(std::string(DecodeSingleRecord("C001,D9,12:34:56", false).time, 8), "12:34:56");
    EXPECT_EQ(DecodeSingleRecord("C001,D9,12:34:5", false).type, 0);
    EXPECT_EQ(DecodeSingleRecord("C001,D7,G", false).batteryStatus, '0');
    EXPECT_EQ(DecodeSingleRecord("C001,D7,L", false).batteryStatus, '2');
    EXPECT_EQ(DecodeSingleRecord("C001,D7,B", false).batteryStatus, '3');
    EXPECT_EQ(DecodeSingleRecord("C001,D7,Q", false).batteryStatus, 0);
    EXPECT_FLOAT_EQ(DecodeSingleRecord("C001,D4,21.9", false).airTemperature, 21.9f);
}

TEST(SampleText, BlocksOfEachKind) {
    float out[kMaxBlockSamples] = {};
    std::string ascii = "A" + kHeader;
    for (int k = 0; k < 32; ++k)
        ascii += k == 31 ? "-00500" : "001234";
    ASSERT_EQ(ascii.size(), BlockTextLength('A'));
    ASSERT_EQ(DecodeBlockSamples(ascii, out), 32);
    EXPECT_FLOAT_EQ(out[0], 1.234f);
    EXPECT_FLOAT_EQ(out[31], -0.5f);

    std::string floats = "F" + kHeader;
    for (int k = 0; k < 32; ++k)
        floats += Float32(0.25f * float(k) - 2.0f);
    ASSERT_EQ(DecodeBlockSamples(floats, out), 32);
    EXPECT_FLOAT_EQ(out[0], -2.0f);
    EXPECT_FLOAT_EQ(out[31], 5.75f);

    std::string ints = "I" + kHeader;
    for (int k = 0; k < 64; ++k)
        ints += Int16s({k == 63 ? -32768 : 1000 + k});
    ASSERT_EQ(DecodeBlockSamples(ints, out), 64);
    EXPECT_FLOAT_EQ(out[0], 1.0f);
    EXPECT_FLOAT_EQ(out[62], 1.062f);
    EXPECT_FLOAT_EQ(out[63], -32.768f);

    std::string sixty = "i" + kHeader;
    for (int k = 0; k < 60; ++k)
        sixty += Int16s({-k});
    ASSERT_EQ(DecodeBlockSamples(sixty, out), 60);
    EXPECT_FLOAT_EQ(out[59], -0.059f);

    const BlockHeader header = DecodeBlockHeader(ints);
    EXPECT_EQ(header.deviceNumber, 4);
    EXPECT_EQ(header.sampleRate, 16);
    EXPECT_EQ(header.batteryStatus, '2');
    ASSERT_TRUE(header.hasTimeStamp);
    EXPECT_EQ(std::string(header.timeStamp, 19), "2026-12-07T12:00:05");
}

TEST(SampleText, ShortOrUnknownBlocksGiveNoSamples) {
    float out[kMaxBlockSamples];
    for (char kind : {'A', 'F', 'I', 'i'}) {
        SCOPED_TRACE(kind);
        const std::string full = kind + kHeader + std::string(BlockTextLength(kind) - 33, '1');
        std::fill(std::begin(out), std::end(out), 7.0f);
        EXPECT_EQ(DecodeBlockSamples(std::string_view(full).substr(0, full.size() - 1), out), 0);
        EXPECT_EQ(out[0], 7.0f) << "untouched";
        EXPECT_EQ(DecodeBlockSamples(full, out), BlockSampleCount(kind));
    }
    EXPECT_EQ(DecodeBlockSamples("X" + kHeader + std::string(200, '1'), out), 0);
    EXPECT_EQ(DecodeBlockSamples("", out), 0);

    const BlockHeader shortHeader = DecodeBlockHeader("I004,S16,B");
    EXPECT_EQ(shortHeader.sampleRate, 16);
    EXPECT_EQ(shortHeader.batteryStatus, 0);
    EXPECT_FALSE(shortHeader.hasTimeStamp);
    EXPECT_FALSE(DecodeBlockHeader("I" + kHeader.substr(0, 29)).hasTimeStamp);
}

TEST(SampleText, TimeStamps) {
    int n[6];
    ParseTimeStamp("2026-12-07T12:34:56", n);
    EXPECT_EQ(std::vector<int>(n, n + 6), (std::vector<int>{2026, 12, 7, 12, 34, 56}));
    ParseTimeStamp("2026-12-07T12", n);
    EXPECT_EQ(std::vector<int>(n, n + 6), (std::vector<int>{2026, 12, 7, 12, 0, 0}));
}

} // namespace
} // namespace undarix::testing
