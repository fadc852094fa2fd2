#include "analysis/AnalysisState.h"

namespace undarix::analysis {
namespace {

AnalysisState state; // fixed storage for the program's life

} // namespace

AnalysisState& Analysis = state;

void ResetAnalysisState() {
    Analysis.AnalyzeCtr = -1;
    Analysis.SelectedUnit = 0;
    Analysis.shown = ShownSpectrum{};
}

} // namespace undarix::analysis
