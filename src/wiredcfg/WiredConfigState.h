#pragma once

// The wired configuration's own state: what the program-wide state does not already hold.

#include "core/codec/ConfigBlock.h"

#include <cstdint>

namespace undarix::wiredcfg {

struct WiredConfigState {
    // 1 from a calibration write until the next read-back compares gain and offset.
    std::uint8_t NewCalGainZero = 0;
    // The block being sent and its terminating NUL.
    char WSTx[core::codec::kBlockBufferSize] = {};
};
extern WiredConfigState WiredCfg;

void ResetWiredConfig();

// The main panel's connection text while a wired unit is held in its configure mode.
inline constexpr std::uint32_t kConfigureModeBlue = 0x3366FF;

} // namespace undarix::wiredcfg
