#pragma once

// Roles of the chart page's controls.

#include "ui/Role.h"

namespace undarix::chart::roles {

// The eight trace device-number numerics (item i is trace i + 1).
inline constexpr ui::Role TraceSelectArray = "TraceSelectArray";
// The cursor read-outs: time (seconds) and level (meters) of the two graph cursors.
inline constexpr ui::Role LeftXAxis = "leftXAxis";
inline constexpr ui::Role LeftYAxis = "leftYAxis";
inline constexpr ui::Role RightXAxis = "rightXAxis";
inline constexpr ui::Role RightYAxis = "rightYAxis";

} // namespace undarix::chart::roles
