#pragma once

// The analysis page's state: which trace is analysed, and the spectrum arrays of the last run.

#include "chart/ChartFifo.h"

namespace undarix::analysis {

struct AnalysisState {
    int AnalyzeCtr = -1;  // trace 0 to 7 chosen on the trace selector; -1 = none
    int SelectedUnit = 0; // that trace's device number when it was chosen; 0 = none
    // The power spectrum and its converted form: half of the largest work array each.
    double PowerSpectrum[chart::kTracePoints / 2];
    double ConvertedSpectrum[chart::kTracePoints / 2];
};

extern AnalysisState& Analysis;

// The start values (the spectrum arrays are left as they are: each run fills what it reads).
void ResetAnalysisState();

} // namespace undarix::analysis
