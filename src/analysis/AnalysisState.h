#pragma once

// The analysis page's state: which trace is analysed, and the spectrum arrays of the last run.

#include "analysis/codec/SeriesAnalysis.h"
#include "chart/ChartFifo.h"

#include <QString>

namespace undarix::analysis {

// What the last run showed, for Export Spectrum: the spectrum is the first `shownBins` values
// of ConvertedSpectrum, bin k at k x result.df Hz.
struct ShownSpectrum {
    bool valid = false; // a spectrum is on the graph
    int trace = -1;
    int device = 0;
    int sampleRate = 0;
    int shownBins = 0;
    QString stretch; // which points were analysed, in words
    QString options; // window, scaling, display unit and tide filter, in words
    codec::SeriesResult result;
};

struct AnalysisState {
    int AnalyzeCtr = -1;  // trace 0 to 7 chosen on the trace selector; -1 = none
    int SelectedUnit = 0; // that trace's device number when it was chosen; 0 = none
    // The power spectrum and its converted form: half of the largest work array each.
    double PowerSpectrum[chart::kTracePoints / 2];
    double ConvertedSpectrum[chart::kTracePoints / 2];
    ShownSpectrum shown;
};

extern AnalysisState& Analysis;

// The start values (the spectrum arrays are left as they are: each run fills what it reads).
void ResetAnalysisState();

} // namespace undarix::analysis
