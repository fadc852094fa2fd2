#pragma once

// Staff length and the counter prescale of wired Ravo Zerars and Deve Zuravis. Each staff
// length the units support is one (PrescaleRange, Prescale) pair of the block. Table A serves
// kinds 3 and 5, table B kinds 4 and 6.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace undarix::core::codec {

struct StaffRow {
    int LengthMm;
    std::uint8_t PrescaleRange;
    std::uint8_t Prescale;
};

struct PrescaleSetting {
    std::uint8_t PrescaleRange;
    std::uint8_t Prescale;
    friend bool operator==(const PrescaleSetting&, const PrescaleSetting&) = default;
};

// The rows for a kind; empty for kinds other than 3..6.
[[nodiscard]] std::span<const StaffRow> StaffTableFor(int unitKind);

// Writing a length: the row with exactly the length truncated toward zero to whole
// millimetres. No value when the length (or the kind) has no row: the prescale then stays
// as it was.
[[nodiscard]] std::optional<PrescaleSetting> PrescaleForStaffLength(int unitKind, float lengthMm);

// Reading a block: the length the two bytes select, 0 when none. The lowest ranges ignore the
// count (table A: range 2 is 500 mm, range 3 is 250 mm; table B: range 1 is 500 mm, range 2
// is 250 mm); every other row needs both bytes.
[[nodiscard]] float StaffLengthForPrescale(int unitKind, std::uint8_t prescaleRange,
                                           std::uint8_t prescale);

} // namespace undarix::core::codec
