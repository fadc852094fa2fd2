#include "core/codec/StaffTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <span>
#include <utility>

namespace undarix::core::codec {
namespace {

// Every row writes its setting and reads back its length, the half-metre rows of table A
// included, and no two rows share a setting.
TEST(StaffTable, EveryRowBothWays) {
    struct Case {
        int kind;
        std::size_t rows;
    } cases[] = {{3, 41}, {5, 41}, {4, 31}, {6, 31}};
    for (const Case& c : cases) {
        const auto table = StaffTableFor(c.kind);
        ASSERT_EQ(table.size(), c.rows) << c.kind;
        std::set<std::pair<int, int>> settings;
        for (const StaffRow& row : table) {
            const auto setting = PrescaleForStaffLength(c.kind, float(row.LengthMm));
            ASSERT_TRUE(setting) << c.kind << " " << row.LengthMm;
            EXPECT_EQ(*setting, (PrescaleSetting{row.PrescaleRange, row.Prescale}));
            EXPECT_EQ(StaffLengthForPrescale(c.kind, row.PrescaleRange, row.Prescale),
                      float(row.LengthMm))
                << c.kind << " " << row.LengthMm;
            EXPECT_TRUE(settings.insert({row.PrescaleRange, row.Prescale}).second)
                << c.kind << " " << row.LengthMm;
        }
        EXPECT_EQ(table.front().LengthMm, 250);
        EXPECT_EQ(table.back().LengthMm, c.rows == 41 ? 20000 : 15000);
    }
}

// The staff-length tables as the instruments define them, written out here row by row, so that
// a wrong count in the program's table (which the simulator shares) cannot pass unseen.
// Length in millimetres, prescale range, prescale count. The half-metre rows of table A from
// 11.5 m on are read back too, as this program does.
struct DefinedRow {
    int lengthMm;
    int range;
    int count;
};

constexpr DefinedRow kDefinedTableA[] = {
    {250, 3, 223},  {500, 2, 223},  {1000, 1, 223}, {1500, 1, 148}, {2000, 0, 223}, {2500, 0, 178},
    {3000, 0, 148}, {3500, 8, 254}, {4000, 8, 223}, {4500, 8, 198}, {5000, 8, 178}, {5500, 8, 124},
    {6000, 8, 113}, {6500, 8, 105}, {7000, 8, 97},  {7500, 8, 91},  {8000, 8, 85},  {8500, 8, 80},
    {9000, 8, 76},  {9500, 8, 72},  {10000, 8, 68}, {10500, 8, 65}, {11000, 8, 62}, {11500, 8, 59},
    {12000, 8, 57}, {12500, 8, 54}, {13000, 8, 52}, {13500, 8, 50}, {14000, 8, 49}, {14500, 8, 47},
    {15000, 8, 45}, {15500, 8, 44}, {16000, 8, 43}, {16500, 8, 41}, {17000, 8, 40}, {17500, 8, 39},
    {18000, 8, 38}, {18500, 8, 37}, {19000, 8, 36}, {19500, 8, 35}, {20000, 8, 34},
};

constexpr DefinedRow kDefinedTableB[] = {
    {250, 2, 199},  {500, 1, 199},  {1000, 0, 199}, {1500, 0, 133}, {2000, 8, 199}, {2500, 8, 159},
    {3000, 8, 133}, {3500, 8, 114}, {4000, 8, 100}, {4500, 8, 88},  {5000, 8, 80},  {5500, 8, 72},
    {6000, 8, 66},  {6500, 8, 61},  {7000, 8, 57},  {7500, 8, 53},  {8000, 8, 50},  {8500, 8, 47},
    {9000, 8, 44},  {9500, 8, 42},  {10000, 8, 40}, {10500, 8, 38}, {11000, 8, 36}, {11500, 8, 35},
    {12000, 8, 33}, {12500, 8, 32}, {13000, 8, 31}, {13500, 8, 30}, {14000, 8, 29}, {14500, 8, 28},
    {15000, 8, 27},
};

TEST(StaffTable, EveryRowIsTheDefinedOneBothWays) {
    struct Case {
        int kind;
        std::span<const DefinedRow> defined;
    };
    const Case cases[] = {
        {3, kDefinedTableA}, {5, kDefinedTableA}, {4, kDefinedTableB}, {6, kDefinedTableB}};
    for (const Case& c : cases) {
        const auto table = StaffTableFor(c.kind);
        ASSERT_EQ(table.size(), c.defined.size()) << c.kind;
        for (std::size_t i = 0; i < c.defined.size(); ++i) {
            const DefinedRow& row = c.defined[i];
            SCOPED_TRACE(::testing::Message()
                         << "kind " << c.kind << ", " << row.lengthMm << " mm");
            EXPECT_EQ(table[i].LengthMm, row.lengthMm);
            EXPECT_EQ(table[i].PrescaleRange, row.range);
            EXPECT_EQ(table[i].Prescale, row.count);
            const auto setting = PrescaleForStaffLength(c.kind, float(row.lengthMm));
            ASSERT_TRUE(setting);
            EXPECT_EQ(setting->PrescaleRange, row.range);
            EXPECT_EQ(setting->Prescale, row.count);
            EXPECT_EQ(
                StaffLengthForPrescale(c.kind, std::uint8_t(row.range), std::uint8_t(row.count)),
                float(row.lengthMm));
        }
    }
}

TEST(StaffTable, KnownRows) {
    struct Case {
        int kind;
        float lengthMm;
        int range;
        int count;
    } cases[] = {
        {3, 3000.0f, 0, 148}, {5, 3000.0f, 0, 148}, {3, 12500.0f, 8, 54}, {3, 11500.0f, 8, 59},
        {3, 19500.0f, 8, 35}, {3, 20000.0f, 8, 34}, {3, 5500.0f, 8, 124}, {3, 250.0f, 3, 223},
        {4, 250.0f, 2, 199},  {4, 1500.0f, 0, 133}, {6, 15000.0f, 8, 27}, {6, 5000.0f, 8, 80},
        {3, 3000.9f, 0, 148}, // whole millimetres, truncated
    };
    for (const Case& c : cases) {
        const auto setting = PrescaleForStaffLength(c.kind, c.lengthMm);
        ASSERT_TRUE(setting) << c.kind << " " << c.lengthMm;
        EXPECT_EQ(setting->PrescaleRange, c.range) << c.kind << " " << c.lengthMm;
        EXPECT_EQ(setting->Prescale, c.count) << c.kind << " " << c.lengthMm;
        EXPECT_EQ(StaffLengthForPrescale(c.kind, std::uint8_t(c.range), std::uint8_t(c.count)),
                  std::trunc(c.lengthMm));
    }
}

TEST(StaffTable, LengthsWithoutARow) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        int kind;
        float lengthMm;
    } cases[] = {
        {3, 3001.0f},  {3, 2999.99f}, {3, 12345.0f},      {3, 20500.0f},
        {3, 0.0f},     {3, -3000.0f}, {3, 100.0f},        {4, 16000.0f},
        {6, 15500.0f}, {4, 11250.0f}, {5, std::nanf("")}, {5, inf},
        {5, -inf},     {0, 3000.0f},  {7, 3000.0f},       {2, 1000.0f},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(PrescaleForStaffLength(c.kind, c.lengthMm)) << c.kind << " " << c.lengthMm;
}

TEST(StaffTable, ReadingRules) {
    struct Case {
        int kind;
        int range;
        int count;
        float lengthMm;
    } cases[] = {
        // The lowest ranges ignore the count.
        {3, 2, 0, 500.0f},
        {3, 2, 255, 500.0f},
        {5, 2, 7, 500.0f},
        {3, 3, 0, 250.0f},
        {5, 3, 148, 250.0f},
        {4, 1, 0, 500.0f},
        {6, 1, 254, 500.0f},
        {4, 2, 13, 250.0f},
        {6, 2, 199, 250.0f},
        // Elsewhere both bytes must match.
        {3, 1, 199, 0.0f},
        {3, 0, 0, 0.0f},
        {3, 8, 200, 0.0f},
        {3, 4, 223, 0.0f},
        {4, 0, 148, 0.0f},
        {4, 3, 223, 0.0f},
        {6, 8, 34, 0.0f},
        {4, 8, 254, 0.0f},
        // Table B rows read by a table A kind and the other way round.
        {3, 8, 27, 0.0f},
        {4, 0, 223, 0.0f},
        // Kinds without the block.
        {7, 2, 223, 0.0f},
        {0, 0, 148, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StaffLengthForPrescale(c.kind, std::uint8_t(c.range), std::uint8_t(c.count)),
                  c.lengthMm)
            << c.kind << " " << c.range << "," << c.count;
    EXPECT_TRUE(StaffTableFor(7).empty());
}

} // namespace
} // namespace undarix::core::codec
