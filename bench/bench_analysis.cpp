// The analysis of a full trace (55,296 points) with the tide filter, the Hanning window and
// the density conversion: the computation alone, and the whole run through the analysis
// page with its graph drawn. The transform plan is made once per length.

#include "analysis/AnalysisRoles.h"
#include "analysis/AnalysisState.h"
#include "analysis/codec/PowerSpectrum.h"
#include "analysis/codec/SeriesAnalysis.h"
#include "app/Application.h"
#include "chart/ChartFifo.h"
#include "chart/PlotPageRoles.h"
#include "ui/ControlRegistry.h"
#include "ui/Controls.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>
#include <vector>

namespace {

using namespace undarix;
constexpr int kPoints = chart::kTracePoints;
constexpr int kRate = 32;

std::vector<double> Sea() {
    std::mt19937 random(5);
    std::normal_distribution<double> noise(0.0, 0.05);
    std::vector<double> values(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        const double t = double(i) / kRate;
        values[i] =
            2.0 + 0.002 * t + 0.5 * std::sin(2 * std::numbers::pi * 0.125 * t) + noise(random);
        if (i % 997 == 0) values[i] = chart::kNoSample;
    }
    return values;
}

void BM_AnalyzeSeries(benchmark::State& state) {
    const std::vector<double> values = Sea();
    std::vector<double> work(kPoints), power(kPoints / 2), converted(kPoints / 2);
    analysis::codec::SeriesOptions options;
    options.sampleRate = kRate;
    options.tideFilter = true;
    options.windowType = analysis::codec::kHanningWindow;
    options.displayUnit = analysis::codec::kPowerSpectralDensity;
    const long long plansBefore = analysis::codec::FftPlansMade();
    for (auto _ : state) {
        const int n = analysis::codec::PackSamples(values.data(), 0, kPoints, work.data());
        const auto result =
            analysis::codec::AnalyzeSeries(work.data(), n, options, power.data(), converted.data());
        benchmark::DoNotOptimize(result.hm0);
    }
    state.counters["plans"] = double(analysis::codec::FftPlansMade() - plansBefore);
}
BENCHMARK(BM_AnalyzeSeries)->Unit(benchmark::kMillisecond);

// The whole run on the real panel: gathering from the trace, the read-outs and the spectrum
// drawn on its graph (the graph's repaint itself waits for the event loop).
void BM_StartAnalysisOnThePanel(benchmark::State& state) {
    auto panel = app::LoadMainPanel({});
    const std::vector<double> values = Sea();
    chart::Trace& trace = chart::ChartFifo[0];
    trace.deviceNumber = 9;
    trace.sampleRate = kRate;
    trace.capacity = float(kPoints);
    trace.writeIndex = kPoints;
    std::copy(values.begin(), values.end(), trace.values);
    ui::SetInt(ui::ArrayItemName(chart::roles::TraceSelectArray, 0), 9);
    ui::SetInt(analysis::roles::TraceSelect, 1);
    ui::Dispatch(analysis::roles::TraceSelect, ui::Event::Commit);
    ui::SetInt(analysis::roles::TideFilterSwitch, 1);
    ui::SetInt(analysis::roles::WindowSelect, analysis::codec::kHanningWindow);
    ui::SetInt(analysis::roles::DisplayUnitSelect, analysis::codec::kPowerSpectralDensity);
    for (auto _ : state) {
        ui::SetInt(analysis::roles::AnalyzeButton, 1);
        ui::Dispatch(analysis::roles::AnalyzeButton, ui::Event::Commit);
    }
    state.counters["hm0"] = ui::GetReal(analysis::roles::SignifWaveHeight);
    panel.reset();
    app::ResetAll();
}
BENCHMARK(BM_StartAnalysisOnThePanel)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
