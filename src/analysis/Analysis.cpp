#include "analysis/Analysis.h"

#include "analysis/AnalysisRoles.h"
#include "analysis/AnalysisState.h"
#include "analysis/Printing.h"
#include "analysis/SpectralAnalysis.h"
#include "analysis/SpectrumExport.h"
#include "analysis/SpectrumGraphs.h"
#include "analysis/codec/SpectrumUnits.h"
#include "analysis/codec/Windows.h"
#include "chart/PlotPageRoles.h"
#include "core/PanelRoles.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <utility>

namespace undarix::analysis {
namespace {

using ListItem = std::pair<const char*, int>;

void FillRing(ui::Role ring, std::initializer_list<ListItem> items, int selected) {
    ui::ClearList(ring);
    for (const auto& [label, value] : items)
        ui::InsertListItem(ring, label, value);
    ui::SetInt(ring, selected);
}

// The selectors carry the analysis functions' codes as their values.
void FillSelectors() {
    using namespace codec;
    FillRing(roles::WindowSelect,
             {{"Uniform", kUniformWindow},
              {"Hanning", kHanningWindow},
              {"Hamming", kHammingWindow},
              {"Blackman-Harris", kBlackmanHarrisWindow},
              {"Exact Blackman", kExactBlackmanWindow},
              {"Blackman", kBlackmanWindow},
              {"Flat Top", kFlatTopWindow},
              {"4 Term B-Harris", kBlackmanHarris4Window}},
             kHanningWindow);
    FillRing(roles::ScalingSelect, {{"Linear", kLinearScaling}, {"dB", kDecibelScaling}},
             kLinearScaling);
    FillRing(roles::DisplayUnitSelect,
             {{"Power (m\u00B2 rms)", kPowerRms},
              {"Amplitude (m rms)", kAmplitudeRms},
              {"Amplitude (m peak)", kAmplitudePeak},
              {"PSD (m\u00B2/Hz)", kPowerSpectralDensity},
              {"ASD (m rms/\u221AHz)", kAmplitudeSpectralDensity}},
             kPowerSpectralDensity);
}

void BindHelp() {
    ui::SetHelp(roles::AnalyzeButton, "ANALYZE",
                "To plot press this Analyze button \nafter setting up the analysis parameters");
    ui::SetHelp(roles::CursorSwitch, "LEFT AND RIGTH CURSORS",
                "Cursor \"on\" selects the Output Plot section between the two cursors\nCursor "
                "\"off\" selects all of the sample points that are plotted.\n\nNote: Any "
                "missing sample points will be skipped");
    for (ui::Role readOut : {chart::roles::LeftXAxis, chart::roles::LeftYAxis,
                             chart::roles::RightXAxis, chart::roles::RightYAxis})
        ui::SetHelp(readOut, "LEFT AND RIGTH CURSORS",
                    "Select the right and left section of the plot to analyze. On the\nSpectral "
                    "Analysis Panel select \"Cursors\" on the X Axis Select switch");
    ui::SetHelp(roles::SignifWaveHeight, "SIGNIFICATE WAVE HEIGHT Hmo",
                "This is the standard deviation of the selected\nsample points times 4, or 4 * "
                "sqrt Variance.");
    ui::SetHelp(roles::ExportSpectrumButton, "EXPORT SPECTRUM",
                "Saves the spectrum on the graph as a comma-separated file: one line per\n"
                "frequency (Hz) with its value, the unit in the header line, and the results\n"
                "of the analysis as comment lines (#) above.\n\n"
                "Dimmed until an analysis has drawn a spectrum.");
    ui::SetHelp(roles::TideFilterSwitch, "TIDE FILTER",
                "If on a 0.01 Hz(100 sec) 5 order Highpass Filter is added\nto the ploted data "
                "and the significate wave height.");

    // The read-outs added beside Hm0.
    ui::SetHelp(roles::PeakPeriod, "PEAK PERIOD Tp",
                "1 / the frequency of the largest power spectrum line above 0 Hz,\nfrom the "
                "spectrum without window.");
    ui::SetHelp(roles::MeanPeriodTm01, "MEAN PERIOD Tm01",
                "m0 / m1: the spectrum's area over its first moment,\nfrom the spectrum without "
                "window, above 0 Hz.");
    ui::SetHelp(roles::MeanPeriodTm02, "MEAN PERIOD Tm02",
                "sqrt(m0 / m2): the mean zero-crossing period of the spectrum,\nfrom the "
                "spectrum without window, above 0 Hz.");
    ui::SetHelp(roles::WaveCount, "NUMBER OF WAVES",
                "Waves between zero down-crossings of the analysed samples\n(mean removed, tide "
                "filtered when the filter is on).\nBlank with fewer than two crossings.");
    ui::SetHelp(roles::WaveHeightThird, "SIGNIFICANT WAVE HEIGHT H1/3",
                "The mean height of the highest third of the zero down-crossing waves.\nBlank "
                "with fewer than two crossings.");
    ui::SetHelp(roles::WaveHeightMax, "MAXIMUM WAVE HEIGHT Hmax",
                "The height of the highest zero down-crossing wave.\nBlank with fewer than two "
                "crossings.");
}

} // namespace

void BindAnalysis() {
    ui::OnEvent(roles::TraceSelect, SelectTraceAnalyze);
    ui::OnEvent(roles::AnalyzeButton, StartAnalysis);
    ui::OnEvent(roles::WindowSelect, Windowing);
    ui::OnEvent(roles::DisplayUnitSelect, DisplayTrpe);
    ui::OnEvent(roles::ScalingSelect, Scaling);
    ui::OnEvent(roles::FrequencyRange, AnalyzeMax);
    ui::OnEvent(roles::CursorSwitch, XAxisCursor);
    ui::OnEvent(roles::TideFilterSwitch, TideFilter);
    ui::OnEvent(roles::ExportSpectrumButton, ExportSpectrum);
    FillSelectors();
    BindHelp();
    SetUpSpectrumGraphs();

    using namespace core::menu;
    ui::OnCommit(PrintAll, PrintAllMenu);
    ui::OnCommit(PrintPlot, PrintOutputPlot);
    ui::OnCommit(PrintSpectral, PrintSpectralPlot);
    ui::OnCommit(PrintConfig, PrintConfigureTab);
}

void InitializeAnalysis() {
    Analysis.AnalyzeCtr = -1;
    Analysis.SelectedUnit = 0;
}

void ResetAnalysis() {
    ResetAnalysisState();
    SetPrintDialogStep({});
}

} // namespace undarix::analysis
