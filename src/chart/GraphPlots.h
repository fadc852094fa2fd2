#pragma once

// What the chart's graph shows. Each plot drawn on it (one segment of a trace) marks its
// points as drawn and each of them but the first as joined by a line to the point before;
// deleting all plots clears the marks, so values that remain in the trace arrays from before
// no longer show. The graph widget draws the marked points straight from the traces' arrays,
// so a plot copies nothing, and it adds only the plots that came since it last drew.

#include "chart/ChartFifo.h"

#include <cstdint>
#include <vector>

namespace undarix::chart {

inline constexpr std::uint8_t kPointDrawn = 1;
inline constexpr std::uint8_t kJoinedToPrevious = 2; // a line runs from the point before
inline constexpr int kPendingPlots = 256;

struct PointRange {
    int trace = 0;
    int first = 0;
    int last = 0; // inclusive
};

struct GraphPlotsRecord {
    std::uint8_t marks[kTraceCount][kTracePoints];
    int markedEnd[kTraceCount]; // one past the highest marked point
    int plotCount;              // plots drawn so far; a plot's handle is its number
    // The plots drawn since the widget last drew, so that it adds just them.
    PointRange pending[kPendingPlots];
    int pendingCount;
    bool redrawAll; // the plots were deleted, or more came than `pending` holds
};

extern GraphPlotsRecord GraphPlots;

// Draws `count` points of a trace from `first` on as one line (a single point as a dot).
// Returns the plot's handle, 0 when nothing was drawn.
int PlotXY(int trace, int first, int count);
// Deletes all plots of the graph.
void DeleteGraphPlot();

[[nodiscard]] bool IsPointDrawn(int trace, int point);

struct PointRun {
    int first = 0;
    int last = 0; // inclusive
    bool operator==(const PointRun&) const = default;
};
// The lines of a trace as the graph shows them: maximal runs of joined points, in order.
[[nodiscard]] std::vector<PointRun> DrawnRuns(int trace);

void ResetGraphPlots();

} // namespace undarix::chart
