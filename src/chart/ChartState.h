#pragma once

// The chart's own state besides the traces: where the chart starts in time, the x-axis gain
// and the two graph cursors.

#include <cstdint>

namespace undarix::chart {

// A cursor's position in graph coordinates: x from 0 to 16, y from 0 to 1. The axes show
// x times the time scale (seconds) and y times the Y range plus the Y offset (meters).
struct CursorPosition {
    double x = 0.0;
    double y = 0.0;
};

inline constexpr int kCursorCount = 2;
inline constexpr double kGraphWidth = 16.0;

struct ChartStateRecord {
    double ChartCtr = 0.0; // the chart's start time, absolute seconds (LocalCalendar.h)
    double xGain = 1.0;    // seconds per graph x unit: the time scale, 0.25 at time scale 0
    CursorPosition cursor[kCursorCount] = {{4.0, 0.75}, {12.0, 0.25}};
    // A unit heard that no trace shows takes the lowest free trace.
    bool bindNewUnits = true;
    // Traces whose unit the user chose (by its number, while it was in the table). They keep
    // their unit while it is away (a file closed, another opened, the source switched) and show
    // it again when it is heard; traces bound by the program are freed instead.
    bool handChosen[8] = {};
};

extern ChartStateRecord Chart;

// Back to the values held before start-up: the chart state, the traces and the graph's plots
// (tests start clean).
void ResetChartState();

} // namespace undarix::chart
