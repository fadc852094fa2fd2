#include "files/codec/DataLine.h"
#include "files/codec/DataFileName.h"
#include "support/CNumbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace undarix::testing {
namespace {

using namespace files::codec;

std::string Field(float value) {
    char out[kFieldWidth];
    FormatValueField(value, out);
    return std::string(out, kFieldWidth);
}

std::string Line(char kind, const std::string& text, const float* values) {
    char out[kMaxDataLine];
    const std::size_t n = BuildDataLine(kind, text.data(), text.size(), values, out);
    return std::string(out, n);
}

TEST(DataLineTest, ValueFieldsAreSevenCharactersOfPercent07Point4fCutToTheSlot) {
    struct Case {
        float value;
        const char* field;
    };
    const Case cases[] = {
        {5.0664f, ",05.0664"},   {-1.25f, ",-1.2500"},    {0.0f, ",00.0000"},
        {-0.0f, ",-0.0000"},     {-0.00001f, ",-0.0000"}, {12.3456f, ",12.3456"},
        {123.4567f, ",123.456"}, {-12.5f, ",-12.500"},    {0.03125f, ",00.0312"}, // tie to even
        {0.09375f, ",00.0938"},  {9.99996f, ",10.0000"},  {1e10f, ",1000000"},
        {-65.535f, ",-65.535"},  {NAN, ",    nan"},       {-INFINITY, ",   -inf"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Field(c.value), c.field) << c.value;
}

TEST(DataLineTest, ValueFieldsMatchTheCLibraryForAnyValue) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> ranges[] = {
        std::uniform_real_distribution<float>(-10.0f, 10.0f),
        std::uniform_real_distribution<float>(-70.0f, 70.0f),
        std::uniform_real_distribution<float>(-1e6f, 1e6f),
        std::uniform_real_distribution<float>(-0.001f, 0.001f)};
    for (auto& range : ranges) {
        for (int i = 0; i < 50000; ++i) {
            const float value = range(random);
            const std::string printed = CPrintf("%07.4f", double(value));
            ASSERT_EQ(Field(value), "," + printed.substr(0, 7)) << value;
        }
    }
}

TEST(DataLineTest, BlockLinesHaveTheirFixedWidthLayout) {
    const std::string prefix = "A004,S32,B0,2014-02-10T16:00:40";
    // The packet text goes on with the samples, which the line replaces by values.
    const std::string text = prefix + "\x01\x02" + std::string(192, '9');
    float values[64];
    for (int k = 0; k < 64; ++k)
        values[k] = k % 2 ? -1.25f : 5.0664f;
    struct Case {
        char kind;
        std::size_t length;
    };
    for (const Case c : {Case{'A', 289}, {'F', 289}, {'I', 545}, {'i', 513}, {'f', 513}}) {
        std::string kindText = text;
        kindText[0] = c.kind;
        const std::string line = Line(c.kind, kindText, values);
        ASSERT_EQ(line.size(), c.length) << c.kind;
        EXPECT_EQ(line.substr(0, 31), c.kind + prefix.substr(1));
        for (std::size_t k = 0; 31 + 8 * k < c.length - 2; ++k)
            EXPECT_EQ(line.substr(31 + 8 * k, 8), k % 2 ? ",-1.2500" : ",05.0664") << c.kind << k;
        EXPECT_EQ(line.substr(c.length - 2), "\r\n");
    }
}

TEST(DataLineTest, SingleValueRecordsAreCutToTheirLength) {
    const float value[] = {5.092f};
    struct Case {
        const char* text;
        const char* line;
    };
    const Case cases[] = {
        {"C001,D1,S08,05092", "C001,D1,S08,05.0920\r\n"},
        {"C001,D8,2014-02-10xx", "C001,D8,2014-02-10\r\n"},
        {"C001,D9,16:00:40\r\n", "C001,D9,16:00:40\r\n"},
        {"C001,D7,G,0000000000000", "C001,D7,G,000000000\r\n"},
        {"C001,D4,12.50", "C001,D4,12.50\r\n"},
        // Records shorter than their slot keep their own characters: no zero, no stale byte.
        {"C001,D4,12.5", "C001,D4,12.5\r\n"},
        {"C001,D7,G\r\n", "C001,D7,G\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Line('C', c.text, value), c.line) << c.text;
    // The text of a short record ends at a zero byte that stands inside the frame.
    EXPECT_EQ(Line('C', std::string("C001,D4,9\0\0\0\0", 13), value), "C001,D4,9\r\n");
    EXPECT_EQ(Line('C', "C001,D1,S08,05092", value).size(), 21u);
}

TEST(DataLineTest, PacketsWithoutALineFormatMakeNoLine) {
    const float value[] = {1.0f};
    EXPECT_EQ(Line('C', "C001,D5,whatever", value), "");
    EXPECT_EQ(Line('C', "C001", value), "");
    EXPECT_EQ(Line('$', "$RX,4", value), "");
    EXPECT_EQ(Line('X', "X004,S32,B0,2014-02-10T16:00:40", value), "");
}

TEST(DataLineTest, LeadingNumbersReadAsTheyStand) {
    struct IntCase {
        const char* text;
        long value;
    };
    for (const IntCase& c : {IntCase{"004,S32", 4},
                             {" 12x", 12},
                             {"-3", -3},
                             {"+7", 7},
                             {"", 0},
                             {"abc", 0},
                             {"255", 255}})
        EXPECT_EQ(ParseLeadingInt(c.text, std::strlen(c.text)), c.value) << c.text;
    EXPECT_EQ(ParseLeadingInt("12345", 2), 12); // never past the field

    struct RealCase {
        const char* text;
        float value;
    };
    for (const RealCase& c : {RealCase{"05.0664", 5.0664f},
                              {"-1.2500", -1.25f},
                              {"+2.5", 2.5f},
                              {" 12.5,", 12.5f},
                              {"x", 0.0f},
                              {"", 0.0f},
                              {"-", 0.0f}})
        EXPECT_EQ(ParseLeadingReal(c.text, std::strlen(c.text)), c.value) << c.text;
    EXPECT_EQ(ParseLeadingReal("12.50123", 5), 12.5f);
}

TEST(DataLineTest, BlockValuesReadBackAsWritten) {
    float values[64];
    for (int k = 0; k < 64; ++k)
        values[k] = float(k * 3137 % 200000 - 100000) / 10000.0f;
    const std::string line = Line('I', "I017,S16,B2,2026-12-07T12:00:00", values);
    float read[64] = {};
    ReadBlockValues(line.data(), 64, read);
    for (int k = 0; k < 64; ++k)
        EXPECT_EQ(read[k], values[k]) << k;
}

TEST(DataLineTest, TheQuickValueReaderReadsEveryShortFieldAsTheGeneralReader) {
    // Every seven-character field of each shape the writer prints, against from_chars.
    struct Shape {
        const char* format;
        int count;
    };
    const Shape shapes[] = {{"%02d.%04d", 1000000},
                            {"-%01d.%04d", 100000},
                            {"%03d.%03d", 1000000},
                            {"-%02d.%03d", 100000}};
    char field[16];
    int mismatches = 0;
    for (const Shape& shape : shapes) {
        const int fraction = shape.format[std::strlen(shape.format) - 2] == '4' ? 10000 : 1000;
        for (int n = 0; n < shape.count; ++n) {
            std::snprintf(field, sizeof field, shape.format, n / fraction, n % fraction);
            ASSERT_EQ(std::strlen(field), 7u) << field;
            if (ReadValueField(field) != ParseLeadingReal(field, 7) && ++mismatches < 5)
                ADD_FAILURE() << field;
        }
    }
    EXPECT_EQ(mismatches, 0);
    // Other shapes go the general way.
    for (const char* odd : {"   -nan", "    inf", "  1.500", "1234567", "-.12345", "12.34.5"}) {
        const float quick = ReadValueField(odd), general = ParseLeadingReal(odd, 7);
        EXPECT_TRUE(quick == general || (std::isnan(quick) && std::isnan(general))) << odd;
    }
}

TEST(DataLineTest, ALoggedValueIsTheValueTheFileGivesBack) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> level(-9.0f, 99.0f);
    for (int i = 0; i < 10000; ++i) {
        const float value = level(random);
        char field[kFieldWidth];
        FormatValueField(value, field);
        EXPECT_EQ(LoggedValue(value), ParseLeadingReal(field + 1, kFieldWidth - 1)) << value;
    }
    EXPECT_EQ(LoggedValue(5.06644f), 5.0664f);
    // Where the field's seven characters stop holding the number whole, at each sign; ties,
    // zeros of both signs, and what is not a number: the same bits as the field read back.
    std::vector<float> edges = {0.0f,      -0.0f,     -0.00004f, 0.00005f,  -0.00005f, 0.00015f,
                                9.99994f,  9.99995f,  9.99996f,  -9.99994f, -9.99995f, -9.99996f,
                                99.99994f, 99.99995f, 99.99996f, 100.0f,    -10.0f,    -99.9f,
                                1234.5f,   -1234.5f,  1e9f,      -1e10f,    1e-30f,    3e38f};
    for (float base : {10.0f, 100.0f, -10.0f, 1.0f, -1.0f})
        for (int step = -200; step <= 200; ++step)
            edges.push_back(base + float(step) * 0.0000025f);
    for (const float value : edges) {
        char field[kFieldWidth];
        FormatValueField(value, field);
        const float read = ReadValueField(field + 1), logged = LoggedValue(value);
        EXPECT_EQ(std::memcmp(&read, &logged, sizeof read), 0) << value << " " << logged;
    }
    for (const float odd : {std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity()}) {
        char field[kFieldWidth];
        FormatValueField(odd, field);
        const float read = ReadValueField(field + 1), logged = LoggedValue(odd);
        EXPECT_TRUE(read == logged || (std::isnan(read) && std::isnan(logged))) << odd;
    }
}

TEST(DataFileNameTest, TheChosenNameGetsItsNumber) {
    struct Case {
        const char* chosen;
        const char* numbered;
    };
    const Case cases[] = {
        {"site.csv", "site000.csv"},
        {"/data/site.CSV", "/data/site000.csv"},
        {"/data/site.txt", "/data/site000.csv"},
        {"site", "site000.csv"},                     // no extension: nothing is lost
        {"site.c", "site.c000.csv"},                 // not a three-character extension
        {"/data.old/site", "/data.old/site000.csv"}, // a dot in a folder name
        {"/data/.abc", "/data/.abc000.csv"},         // a hidden name is not an extension
        {"a.b.c", "a.b.c000.csv"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberedDataFileName(c.chosen), c.numbered) << c.chosen;
}

TEST(DataFileNameTest, RotationPutsTheNumberBeforeTheExtension) {
    EXPECT_EQ(DataFileNameWithNumber("/d/site000.csv", 1), "/d/site001.csv");
    EXPECT_EQ(DataFileNameWithNumber("/d/site000.csv", 42), "/d/site042.csv");
    EXPECT_EQ(DataFileNameWithNumber("/d/site001.csv", 998), "/d/site998.csv");
}

} // namespace
} // namespace undarix::testing
