#include "radiocfg/codec/ReadSequence.h"

namespace undarix::radiocfg::codec {
namespace {

// Numbers 2 to 16 are the same for every radio kind.
constexpr const char* kCommonReads[] = {"RX", "RH", "RK", "RD", "RS", "RL", "RI", "RF",
                                        "RO", "RR", "RQ", "RT", "RC", "RP", "RV"};
constexpr int kFirstCommon = 2;
constexpr int kLastCommon = 16;

// Ravo Zerar XB from number 17: the current mode, then its calibration set.
CommandLine RavoZerarRead(int configType, int version12CalPts, int currentMode) {
    switch (configType) {
    case 17: return FormatRead("RW");
    case 18: return FormatSetRead('T', currentMode);
    case 19: return FormatSetRead('S', currentMode);
    case 20: return FormatSetRead(version12CalPts == 1 ? 'A' : 'G', currentMode);
    case 21: return FormatSetRead('O', currentMode);
    case 22: return FormatSetRead('L', currentMode);
    case 23: return FormatSetRead('H', currentMode);
    default: return {};
    }
}

// The sonic kinds from number 17: trip points and dead zone, then set 1 (their only one).
CommandLine SonicRead(int configType) {
    switch (configType) {
    case 17: return FormatRead("RG");
    case 18: return FormatRead("RU");
    case 19: return FormatRead("RY");
    case 20: return FormatSetRead('T', 1);
    case 21: return FormatSetRead('S', 1);
    case 22: return FormatSetRead('A', 1);
    default: return {};
    }
}

bool IsSonic(int unitType) {
    return unitType == 1 || unitType == 2;
}

} // namespace

int ReadSequenceLength(int unitType, int version12CalPts) {
    if (unitType == 0) return version12CalPts == 1 ? 20 : 23;
    if (IsSonic(unitType)) return 22;
    return 0;
}

CommandLine ReadSequenceCommand(int unitType, int configType, int version12CalPts,
                                int currentMode) {
    if (unitType != 0 && !IsSonic(unitType)) return {};
    if (configType == 1) return FormatOpenSession();
    if (configType >= kFirstCommon && configType <= kLastCommon)
        return FormatRead(kCommonReads[configType - kFirstCommon]);
    if (unitType == 0) return RavoZerarRead(configType, version12CalPts, currentMode);
    return SonicRead(configType);
}

} // namespace undarix::radiocfg::codec
