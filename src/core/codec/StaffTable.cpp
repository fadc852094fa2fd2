#include "core/codec/StaffTable.h"

#include <cmath>

namespace undarix::core::codec {
namespace {

// Kinds 3 and 5. The half-metre rows from 11.5 m up share range 8 with counts no other row
// uses, so they read back as well as they write.
constexpr StaffRow kTableA[] = {
    {250, 3, 223},  {500, 2, 223},  {1000, 1, 223}, {1500, 1, 148}, {2000, 0, 223}, {2500, 0, 178},
    {3000, 0, 148}, {3500, 8, 254}, {4000, 8, 223}, {4500, 8, 198}, {5000, 8, 178}, {5500, 8, 124},
    {6000, 8, 113}, {6500, 8, 105}, {7000, 8, 97},  {7500, 8, 91},  {8000, 8, 85},  {8500, 8, 80},
    {9000, 8, 76},  {9500, 8, 72},  {10000, 8, 68}, {10500, 8, 65}, {11000, 8, 62}, {11500, 8, 59},
    {12000, 8, 57}, {12500, 8, 54}, {13000, 8, 52}, {13500, 8, 50}, {14000, 8, 49}, {14500, 8, 47},
    {15000, 8, 45}, {15500, 8, 44}, {16000, 8, 43}, {16500, 8, 41}, {17000, 8, 40}, {17500, 8, 39},
    {18000, 8, 38}, {18500, 8, 37}, {19000, 8, 36}, {19500, 8, 35}, {20000, 8, 34},
};

// Kinds 4 and 6.
constexpr StaffRow kTableB[] = {
    {250, 2, 199},  {500, 1, 199},  {1000, 0, 199}, {1500, 0, 133}, {2000, 8, 199}, {2500, 8, 159},
    {3000, 8, 133}, {3500, 8, 114}, {4000, 8, 100}, {4500, 8, 88},  {5000, 8, 80},  {5500, 8, 72},
    {6000, 8, 66},  {6500, 8, 61},  {7000, 8, 57},  {7500, 8, 53},  {8000, 8, 50},  {8500, 8, 47},
    {9000, 8, 44},  {9500, 8, 42},  {10000, 8, 40}, {10500, 8, 38}, {11000, 8, 36}, {11500, 8, 35},
    {12000, 8, 33}, {12500, 8, 32}, {13000, 8, 31}, {13500, 8, 30}, {14000, 8, 29}, {14500, 8, 28},
    {15000, 8, 27},
};

bool UsesTableA(int unitKind) {
    return unitKind == 3 || unitKind == 5;
}
bool UsesTableB(int unitKind) {
    return unitKind == 4 || unitKind == 6;
}

} // namespace

std::span<const StaffRow> StaffTableFor(int unitKind) {
    if (UsesTableA(unitKind)) return kTableA;
    if (UsesTableB(unitKind)) return kTableB;
    return {};
}

std::optional<PrescaleSetting> PrescaleForStaffLength(int unitKind, float lengthMm) {
    if (!std::isfinite(lengthMm)) return std::nullopt;
    const double whole = std::trunc(double(lengthMm));
    for (const StaffRow& row : StaffTableFor(unitKind)) {
        if (whole == double(row.LengthMm)) return PrescaleSetting{row.PrescaleRange, row.Prescale};
    }
    return std::nullopt;
}

float StaffLengthForPrescale(int unitKind, std::uint8_t prescaleRange, std::uint8_t prescale) {
    // The lowest ranges select their length by the range alone.
    if (UsesTableA(unitKind)) {
        if (prescaleRange == 2) return 500.0f;
        if (prescaleRange == 3) return 250.0f;
    } else if (UsesTableB(unitKind)) {
        if (prescaleRange == 1) return 500.0f;
        if (prescaleRange == 2) return 250.0f;
    }
    for (const StaffRow& row : StaffTableFor(unitKind)) {
        if (row.PrescaleRange == prescaleRange && row.Prescale == prescale)
            return float(row.LengthMm);
    }
    return 0.0f;
}

} // namespace undarix::core::codec
