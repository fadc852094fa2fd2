#pragma once

// The analysis subsystem's part of start-up and reset.

namespace undarix::analysis {

// Binds the analysis page's callbacks and help, the help of the chart's cursor read-outs, and
// the print menu items; sets up the spectrum graphs.
void BindAnalysis();
// Start values at Initialize: no trace chosen.
void InitializeAnalysis();
// Back to the start state (tests start clean).
void ResetAnalysis();

} // namespace undarix::analysis
