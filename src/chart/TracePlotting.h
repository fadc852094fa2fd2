#pragma once

// Plotting the units' packets on the chart's eight traces. The first packet after a reset
// fixes the chart's start time; every later packet is placed by the difference between its
// time stamp and the start and by its sample rate, so a missing packet leaves a gap (values
// kNoSample, a break in the line) and late or early packets land where they belong.

namespace undarix::chart {

// Clears the graph, applies the axis settings and the time scale, and binds all traces
// afresh; the next plotted packet starts the chart.
void ChartReset();
// Plotting off and the Start Plotting button with it (a full chart, the end of a played file).
void StopPlotting();
// Binds trace `trace` (0 to 7) to the unit its device-number numeric names and lays out its x
// coordinates. Returns 0 when the unit is in the device table, 1 when not: the trace is then
// unused, and its numeric shows 0 unless the user chose its unit (it waits for the unit). A
// trace cleared so is said in the status bar and in the chart page's trace note.
int SetUpTrace(int trace);
// The same for one trace alone, leaving the points of the other traces as they are.
int LayOutTrace(int trace);
// A trace the user chose whose unit is away: it shows the unit again once heard.
[[nodiscard]] bool WaitsForItsUnit(int trace);
// Writes the trace note afresh: the traces waiting for their unit, and the traces cleared by
// the last reset.
void ShowTraceNote();
// Forgets the traces cleared (the chart's state goes back to its start).
void ForgetTraceNotes();
// Plots the block of samples in WorkValue for the device-table record `slot`.
void PlotData(int slot);
// Plots the single sample in WorkValue for the device-table record `slot`.
void PlotContData(int slot);

// The text the start-time display shows while the chart waits for its first packet.
inline constexpr const char* kNoStartTime = "YYYY-MM-DDThh:mm:ss";

} // namespace undarix::chart
