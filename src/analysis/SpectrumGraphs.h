#pragma once

// The five spectrum graphs of the analysis page, one per frequency range; one is shown at a
// time.

#include <QString>

#include <cstdint>

namespace undarix::analysis {

inline constexpr int kSpectrumGraphCount = 5;
// The upper end of each graph's frequency axis (Hz).
inline constexpr double kGraphRangesHz[kSpectrumGraphCount] = {0.25, 0.5, 1.0, 2.0, 4.0};
inline constexpr int kNoGraph = -1;

// The graph for a frequency range: the first whose upper end reaches it; kNoGraph above 4 Hz.
[[nodiscard]] int GraphForRange(double maxHz);
// The role of graph i.
[[nodiscard]] const std::string& SpectrumGraphRole(int graph);

// Axes and labels, once at start-up.
void SetUpSpectrumGraphs();
// Shows graph i and hides the others (all hidden for kNoGraph).
void ShowSpectrumGraph(int graph);
// Deletes the plots of all five graphs.
void DeleteSpectrumPlots();
// Draws `count` values from 0 Hz at step df on graph i, in the colour 0xRRGGBB; the value
// axis is labelled with the unit and scaled to what is drawn.
void PlotSpectrum(int graph, const double* values, int count, double df, std::uint32_t rgb,
                  const QString& unit);

} // namespace undarix::analysis
