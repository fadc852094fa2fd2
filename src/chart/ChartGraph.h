#pragma once

// The chart's graph on the plot page: a QCustomPlot whose x axis reads in seconds (0 to 16
// times the time scale) and y axis in meters (offset to offset + range), the traces, and the
// two cursors the user drags. Without a window (tests, the command-line companion) these do
// nothing and the chart works on its state alone.

namespace undarix::chart {

// The shortest time between two repaints of the traces: about 30 a second at most, however
// many packets arrive.
inline constexpr int kRepaintIntervalMs = 33;

// Sets the graph up on the page's widget; called once the panel is loaded.
void AttachChartGraph();
// Lets go of the graph (its panel is going away, or the state is reset).
void DetachChartGraph();
[[nodiscard]] bool HasChartGraph();

// Shows the axes for the present x gain, Y range and Y offset.
void ApplyGraphAxes();
// Moves the cursor lines to the cursors' positions.
void ShowGraphCursors();
// Asks for the traces to be drawn again at the next repaint.
void ScheduleGraphRepaint();
// Repaints now what a scheduled repaint would (benchmarks, screenshots).
void RepaintGraphNow();

// Repaints done so far, and how many of them drew every trace again (tests, benchmarks).
[[nodiscard]] int GraphRepaintCount();
[[nodiscard]] int GraphFullRedrawCount();

} // namespace undarix::chart
