#pragma once

// The analysis run: one charted trace (all points plotted, or the stretch between the chart's
// cursors) gives the mean level, Hm0, the wave periods and counted waves, and its spectrum on
// the graph for the chosen frequency range.

#include "ui/Event.h"

#include <cstdint>

namespace undarix::analysis {

// The analysis colour of each trace, 0xRRGGBB (traces 3 and 7 brighter than on the chart).
inline constexpr std::uint32_t kAnalysisColors[8] = {0xFF0000, 0x0000FF, 0x00FF00, 0x000000,
                                                     0xFF9900, 0x9966FF, 0xCCFF00, 0xB0B0B0};

// The points [start, end) of a trace that a run takes.
struct PointRange {
    int start = 0;
    int end = 0;
};

// The points of trace `trace` the run takes: between the cursors (seconds, either order,
// truncated to whole seconds) or from 0 to the write index, held inside the points the trace
// can hold.
[[nodiscard]] PointRange AnalysisRange(int trace, bool betweenCursors, double leftSeconds,
                                       double rightSeconds);

// Callback of the trace selector.
void SelectTraceAnalyze(ui::Event event);
// Callback of the Analyze toggle: a commit runs the analysis.
void StartAnalysis(ui::Event event);

// Option callbacks: a change shows (Analyze button red) that the results are stale.
void Windowing(ui::Event event);
void DisplayTrpe(ui::Event event);
void Scaling(ui::Event event);
void AnalyzeMax(ui::Event event);
void XAxisCursor(ui::Event event);
// The tide-filter switch is read at the next run; it marks nothing.
void TideFilter(ui::Event event);

} // namespace undarix::analysis
