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

// The graph and the text showing the time stamp the chart starts at.
inline constexpr ui::Role Graph = "chartGraph";
inline constexpr ui::Role StartTimeText = "startTimeText";
// What became of the traces: those waiting for their unit, those last cleared. It stays until
// it changes, where a status message would be replaced by the next one.
inline constexpr ui::Role TraceNote = "traceNote";

// The chart controls.
inline constexpr ui::Role PlotSourceSelect = "PlotSourceSelect"; // 0 serial port, 1 file
inline constexpr ui::Role RawStartStop = "RawStartStop";         // the Start Plotting toggle
inline constexpr ui::Role StopWhenFull = "StopWhenFull";
inline constexpr ui::Role BindNewUnits = "bindNewUnitsSwitch";
inline constexpr ui::Role YAxisRange = "YAxisRange";
inline constexpr ui::Role YAxisOffset = "YAxisOffset";
inline constexpr ui::Role RawPlotXAsis = "RawPlotXAsis"; // the time scale

} // namespace undarix::chart::roles
