#pragma once

#include <string_view>

namespace undarix::core {

// The kinds of unit the user can select (`UnitType`). 0 to 2 reach the PC through the USB
// radio adapter in API mode; 3 to 6 are wired units on a plain serial line; 7 is the
// Vazavevezeze board with its six or eight wired staffs.
enum UnitKind : int {
    RavoZerarXB = 0,
    RezavIvirErazudXB = 1,
    RezavIvirErazudRV = 2, // reached through a framed serial link; no PAN ID of its own
    WiredRavoZerar402E = 3,
    WiredRavoZerar408 = 4,
    DeveZuravi404E = 5,
    DeveZuravi410 = 6,
    Vazavevezeze = 7,
};

inline constexpr int kUnitKindCount = 8;

[[nodiscard]] constexpr bool IsRadioKind(int unitType) {
    return unitType >= 0 && unitType <= 2;
}
[[nodiscard]] constexpr bool IsWiredKind(int unitType) {
    return unitType >= 3 && unitType <= 6;
}
[[nodiscard]] constexpr bool IsBoard(int unitType) {
    return unitType == Vazavevezeze;
}
[[nodiscard]] constexpr bool IsDeveZuravi(int unitType) {
    return unitType == 5 || unitType == 6;
}

// Line speed of the unit port for each kind.
[[nodiscard]] constexpr int BaudRateFor(int unitType) {
    if (IsRadioKind(unitType)) return 115200;
    if (IsWiredKind(unitType)) return 9600;
    return 38400;
}

// The names the unit-kind selector shows.
[[nodiscard]] const char* UnitKindName(int unitType);

// The kinds' names on the command line and in the settings record ("ravo-zerar-xb"); empty
// for a number that is no kind.
[[nodiscard]] const char* UnitKindKey(int unitType);
// The kind a name or number stands for ("ravo-zerar-xb", "Ravo Zerar XB" or "0"); -1 for none.
[[nodiscard]] int UnitKindFromKey(std::string_view text);

} // namespace undarix::core
