#include "analysis/SpectralAnalysis.h"

#include "analysis/AnalysisRoles.h"
#include "analysis/AnalysisState.h"
#include "analysis/SpectrumGraphs.h"
#include "analysis/codec/AnalysedStretch.h"
#include "analysis/codec/SeriesAnalysis.h"
#include "chart/ChartFifo.h"
#include "chart/PlotPageRoles.h"
#include "core/EditHint.h"
#include "core/PanelRoles.h"
#include "ui/BusyCursor.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <algorithm>
#include <cmath>

namespace undarix::analysis {
namespace {

namespace codec = analysis::codec;

void MarkResultsStale() {
    ui::SetButtonMark(roles::AnalyzeButton, ui::kRed);
}

// The graphs emptied: no spectrum to export until the next run draws one.
void ClearSpectrum() {
    DeleteSpectrumPlots();
    Analysis.shown = ShownSpectrum{};
    ui::SetDimmed(roles::ExportSpectrumButton, true);
}

QString OnOff(bool on) {
    return on ? "on" : "off";
}

QString Selected(ui::Role ring) {
    const int value = ui::GetInt(ring);
    for (int i = 0; i < ui::GetListCount(ring); ++i)
        if (ui::GetListValue(ring, i) == value) return ui::GetListLabel(ring, i);
    return QString::number(value);
}

QString StretchInWords(const PointRange& range, bool betweenCursors, int rate) {
    const QString points = QString("points %1 to %2").arg(range.start).arg(range.end - 1);
    if (!betweenCursors) return "all points plotted (" + points + ")";
    return QString("between the cursors, %1 s to %2 s (%3)")
        .arg(range.start / rate)
        .arg(range.end / rate)
        .arg(points);
}

// What the export tells of the run besides the numbers.
void RememberShown(int t, int rate, const PointRange& range, bool betweenCursors,
                   const codec::SeriesResult& result, int bins) {
    ShownSpectrum& shown = Analysis.shown;
    shown.valid = true;
    shown.trace = t;
    shown.device = Analysis.SelectedUnit;
    shown.sampleRate = rate;
    shown.shownBins = bins;
    shown.stretch = StretchInWords(range, betweenCursors, rate);
    shown.options = QString("window %1, scaling %2, display %3, tide filter %4")
                        .arg(Selected(roles::WindowSelect), Selected(roles::ScalingSelect),
                             Selected(roles::DisplayUnitSelect),
                             OnOff(ui::GetInt(roles::TideFilterSwitch) != 0));
    shown.result = result;
    ui::SetDimmed(roles::ExportSpectrumButton, false);
}

// The points a trace holds: its capacity, never more than its arrays.
int StoredPoints(const chart::Trace& trace) {
    const double capacity = trace.capacity;
    if (!(capacity > 0.0)) return 0;
    return int(std::min(capacity, double(chart::kTracePoints)));
}

// A cursor time as a point: whole seconds times the rate, held in [0, limit].
int CursorPoint(double seconds, int rate, int limit) {
    if (!std::isfinite(seconds)) return seconds > 0 ? limit : 0;
    const double point = std::trunc(seconds) * rate;
    return int(std::clamp(point, 0.0, double(limit)));
}

void ShowOptional(ui::Role role, bool available, double value) {
    if (available)
        ui::SetReal(role, value);
    else
        ui::SetText(role, QString());
}

void ShowResults(const codec::SeriesResult& result) {
    ui::SetReal(roles::SignifWaveHeight, result.hm0);
    ui::SetText(roles::UnitText, QString::fromStdString(result.unit));
    ShowOptional(roles::PeakPeriod, result.periods.available, result.periods.tp);
    ShowOptional(roles::MeanPeriodTm01, result.periods.available, result.periods.tm01);
    ShowOptional(roles::MeanPeriodTm02, result.periods.available, result.periods.tm02);
    if (result.waves.available)
        ui::SetInt(roles::WaveCount, result.waves.waves);
    else
        ui::SetText(roles::WaveCount, QString());
    ShowOptional(roles::WaveHeightThird, result.waves.available, result.waves.h13);
    ShowOptional(roles::WaveHeightMax, result.waves.available, result.waves.hmax);
}

// Steps of a run, after the toggle and the selection have been checked.
void RunAnalysis() {
    const int t = Analysis.AnalyzeCtr;
    if (t < 0 || t >= chart::kTraceCount) return;
    chart::Trace& trace = chart::ChartFifo[t];
    ui::SetInt(roles::DeviceNumber, Analysis.SelectedUnit);
    const std::uint32_t color = kAnalysisColors[t];
    const int rate = trace.sampleRate;
    if (rate == 0) {
        // A trace never laid out (its unit was not in the table) has no time base.
        ui::ShowStatus(QString("Trace %1 has no sample rate yet: nothing to analyse.").arg(t + 1));
        return;
    }

    double maxHz = ui::GetReal(roles::FrequencyRange);
    if (maxHz == 0.0) maxHz = rate / 8.0;
    const int graph = GraphForRange(maxHz);
    ShowSpectrumGraph(graph);

    const bool betweenCursors = ui::GetInt(roles::CursorSwitch) != 0;
    const PointRange range = AnalysisRange(t, betweenCursors, ui::GetReal(chart::roles::LeftXAxis),
                                           ui::GetReal(chart::roles::RightXAxis));
    const int n = codec::PackSamples(trace.values, range.start, range.end, trace.analysisWork);
    ui::SetText(roles::Analysed, QString());
    ui::SetText(roles::ShortWarning, QString());
    if (n == 0) {
        ui::ShowStatus(QString("Trace %1 holds no samples in the chosen stretch.").arg(t + 1));
        return;
    }

    codec::SeriesOptions options;
    options.sampleRate = rate;
    options.tideFilter = ui::GetInt(roles::TideFilterSwitch) != 0;
    options.windowType = ui::GetInt(roles::WindowSelect);
    options.scaling = ui::GetInt(roles::ScalingSelect);
    options.displayUnit = ui::GetInt(roles::DisplayUnitSelect);
    const codec::SeriesResult result = codec::AnalyzeSeries(
        trace.analysisWork, n, options, Analysis.PowerSpectrum, Analysis.ConvertedSpectrum);
    ui::SetReal(roles::Mean, result.mean);
    ShowResults(result);
    // Beside the figures, how much they rest on: just after the chart starts over a run
    // sees a few seconds only.
    ui::SetText(roles::Analysed, QString::fromStdString(codec::AnalysedText(n, rate)));
    ui::SetText(roles::ShortWarning,
                QString::fromStdString(codec::ShortStretchWarning(n, rate, result.waves)));

    ClearSpectrum();
    if (result.status != codec::kAnalysisOk) {
        ui::ShowStatus(QString("The spectrum could not be computed (code %1).").arg(result.status));
        return;
    }
    PlotSpectrum(graph, Analysis.ConvertedSpectrum, n / 4, result.df, color,
                 QString::fromStdString(result.unit));
    RememberShown(t, rate, range, betweenCursors, result, n / 4);
}

} // namespace

PointRange AnalysisRange(int trace, bool betweenCursors, double leftSeconds, double rightSeconds) {
    const chart::Trace& fifo = chart::ChartFifo[trace];
    const int limit = StoredPoints(fifo);
    PointRange range;
    if (betweenCursors) {
        const int rate = fifo.sampleRate;
        range.start = CursorPoint(std::min(leftSeconds, rightSeconds), rate, limit);
        range.end = CursorPoint(std::max(leftSeconds, rightSeconds), rate, limit);
    } else {
        range.end = std::clamp(int(fifo.writeIndex), 0, limit);
    }
    return range;
}

void SelectTraceAnalyze(ui::Event event) {
    using core::mainpanel::EditHint;
    switch (event) {
    case ui::Event::Commit: {
        MarkResultsStale();
        const int selection = std::clamp(ui::GetInt(roles::TraceSelect), 0, chart::kTraceCount);
        Analysis.AnalyzeCtr = selection - 1;
        Analysis.SelectedUnit =
            selection == 0
                ? 0
                : ui::GetInt(ui::ArrayItemName(chart::roles::TraceSelectArray, selection - 1));
        ui::SetVisible(EditHint, false);
        ClearSpectrum();
        ui::SetTextColor(roles::TraceSelect, ui::kBlack);
        break;
    }
    case ui::Event::KeyPress:
        ui::SetTextColor(roles::TraceSelect, ui::kRed);
        core::ShowEditHint(core::kEnterChoosesTrace);
        break;
    case ui::Event::LostFocus:
        ui::SetTextColor(roles::TraceSelect, ui::kBlack);
        ui::SetVisible(EditHint, false);
        break;
    default: break;
    }
}

void StartAnalysis(ui::Event event) {
    if (event != ui::Event::Commit) return;
    if (ui::GetInt(roles::AnalyzeButton) != 0 && Analysis.SelectedUnit != 0) {
        const ui::BusyCursor busy; // 55,296 points with the tide filter take a moment
        RunAnalysis();
    } else if (ui::GetInt(roles::AnalyzeButton) != 0) {
        ui::ShowStatus(Analysis.AnalyzeCtr < 0
                           ? QString("Choose the trace to analyse in Trace first.")
                           : QString("Trace %1 shows no unit: choose one on the Chart page, or "
                                     "another trace.")
                                 .arg(Analysis.AnalyzeCtr + 1));
    }
    ui::SetInt(roles::AnalyzeButton, 0);
    ui::SetButtonMark(roles::AnalyzeButton, 0);
}

void Windowing(ui::Event event) {
    if (event == ui::Event::Commit) MarkResultsStale();
}
void DisplayTrpe(ui::Event event) {
    if (event == ui::Event::Commit) MarkResultsStale();
}
void Scaling(ui::Event event) {
    if (event == ui::Event::Commit) MarkResultsStale();
}
void AnalyzeMax(ui::Event event) {
    if (event == ui::Event::Commit) MarkResultsStale();
}
void XAxisCursor(ui::Event event) {
    if (event == ui::Event::Commit) MarkResultsStale();
}
void TideFilter(ui::Event) {}

} // namespace undarix::analysis
