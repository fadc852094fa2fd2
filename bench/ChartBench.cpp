// The chart's costs: a full redraw of eight full traces, a repaint that adds what came since
// the last one, each packet's own work, and how often the graph repaints under a flood of
// packets. Runs on the real panel, offscreen.

#include "app/Application.h"
#include "chart/ChartFifo.h"
#include "chart/ChartGraph.h"
#include "chart/GraphPlots.h"
#include "chart/PlotPageRoles.h"
#include "chart/TracePlotting.h"
#include "core/FrameBuffers.h"
#include "core/ProgramState.h"
#include "live/DeviceTable.h"
#include "ui/Controls.h"

#include <QApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include <qcustomplot.h>

#include <array>
#include <cmath>

namespace {

using namespace undarix;

std::unique_ptr<app::MainWindow>& Panel() {
    static std::unique_ptr<app::MainWindow> panel;
    return panel;
}

QCustomPlot* Graph() {
    return ui::Widget<QCustomPlot>(chart::roles::Graph);
}

void RunEvents(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Eight units at 32 Hz on the eight traces, time scale 108: 55,296 points a trace.
void PrepareChart(int timeScale = 108) {
    if (!Panel()) {
        Panel() = app::LoadMainPanel({});
        Panel()->resize(1366, 740);
        Panel()->show();
        RunEvents(200);
    }
    for (int slot = 0; slot < 8; ++slot) {
        live::OutputLine[slot].address = 0x0013A20040000000ull + std::uint64_t(slot + 1);
        live::OutputLine[slot].deviceNumber = std::uint8_t(slot + 1);
        live::OutputLine[slot].sampleRate = 32;
        ui::SetInt(ui::ArrayItemName(chart::roles::TraceSelectArray, slot), slot + 1);
    }
    ui::SetInt(chart::roles::RawPlotXAsis, timeScale);
    chart::ChartReset();
    core::Program.PlottingRunning = 1;
}

void FillEightFullTraces() {
    PrepareChart();
    for (int t = 0; t < chart::kTraceCount; ++t) {
        chart::Trace& trace = chart::ChartFifo[t];
        for (int i = 0; i < chart::kTracePoints; ++i) {
            const double value =
                0.5 + 0.6 * t + 0.25 * std::sin(i * 0.05 + t) + 0.05 * std::sin(i * 1.3);
            trace.values[i] = value;
            trace.plotY[i] = value / 6.0;
        }
        trace.writeIndex = chart::kTracePoints;
        (void)chart::PlotXY(t, 0, chart::kTracePoints);
    }
    chart::RepaintGraphNow();
}

// The whole image of the traces drawn again (after a reset, a resize): 8 x 55,296 points.
void BM_FullRedrawOfEightFullTraces(benchmark::State& state) {
    FillEightFullTraces();
    for (auto _ : state) {
        chart::GraphPlots.redrawAll = true;
        chart::RepaintGraphNow();
    }
    state.counters["points"] = 8.0 * chart::kTracePoints;
}
BENCHMARK(BM_FullRedrawOfEightFullTraces)->Unit(benchmark::kMillisecond);

// The same with the axes, grid and cursors: a whole replot of the graph.
void BM_WholeGraphReplotWithEightFullTraces(benchmark::State& state) {
    FillEightFullTraces();
    for (auto _ : state) {
        chart::GraphPlots.redrawAll = true;
        Graph()->replot(QCustomPlot::rpImmediateRefresh);
    }
}
BENCHMARK(BM_WholeGraphReplotWithEightFullTraces)->Unit(benchmark::kMillisecond);

// A printout or export draws every line without the image.
void BM_ExportOfEightFullTraces(benchmark::State& state) {
    FillEightFullTraces();
    for (auto _ : state)
        benchmark::DoNotOptimize(Graph()->toPixmap(1200, 400));
}
BENCHMARK(BM_ExportOfEightFullTraces)->Unit(benchmark::kMillisecond);

// The decoded samples of a packet; the decoding is not the chart's cost, so the values are
// made once and only shifted per packet.
void FillBlock(int second) {
    static const auto wave = [] {
        std::array<float, 64> values{};
        for (int k = 0; k < 64; ++k)
            values[k] = float(2.0 + std::sin(k * 0.1));
        return values;
    }();
    const float shift = float(second % 7) * 0.01f;
    for (int k = 0; k < 32; ++k)
        core::WorkValue[k] = wave[k] + shift;
}

void StampBlock(live::OutputLineRecord& record, int second) {
    record.year = 2026;
    record.month = 12;
    record.day = 7;
    record.hour = 12 + second / 3600;
    record.minute = second / 60 % 60;
    record.second = second % 60;
    record.sampleCount = 32;
}

// One packet's own work: placing 32 samples and noting the segment (the chart starts over
// every 1,728 s; that cost is spread over the packets).
void BM_PlotDataPerPacket(benchmark::State& state) {
    PrepareChart();
    int second = 0;
    for (auto _ : state) {
        const int slot = second % 8;
        StampBlock(live::OutputLine[slot], second / 8);
        FillBlock(second);
        chart::PlotData(slot);
        ++second;
    }
    RunEvents(50);
}
BENCHMARK(BM_PlotDataPerPacket);

void BM_PlotContDataPerSample(benchmark::State& state) {
    PrepareChart();
    int count = 0;
    live::OutputLineRecord& record = live::OutputLine[0];
    StampBlock(record, 0);
    for (auto _ : state) {
        record.sampleCount = 1 + count % 55000;
        core::WorkValue[0] = float(count % 100) * 0.01f;
        chart::PlotContData(0);
        ++count;
    }
    RunEvents(50);
}
BENCHMARK(BM_PlotContDataPerSample);

// A repaint tick after eight packets (one a trace): only their segments are drawn.
void BM_RepaintAddingEightPackets(benchmark::State& state) {
    PrepareChart();
    int second = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (int slot = 0; slot < 8; ++slot) {
            StampBlock(live::OutputLine[slot], second % 1700);
            FillBlock(second);
            chart::PlotData(slot);
        }
        ++second;
        state.ResumeTiming();
        chart::RepaintGraphNow();
    }
}
BENCHMARK(BM_RepaintAddingEightPackets)->Unit(benchmark::kMicrosecond);

// A flood of packets through a running event loop: repaints per second stay near 30.
void BM_RepaintsUnderAFloodOfPackets(benchmark::State& state) {
    PrepareChart();
    for (auto _ : state) {
        const int before = chart::GraphRepaintCount();
        QElapsedTimer timer;
        timer.start();
        int packets = 0;
        while (timer.elapsed() < 1000) {
            const int slot = packets % 8;
            StampBlock(live::OutputLine[slot], (packets / 8) % 1700);
            FillBlock(packets);
            chart::PlotData(slot);
            ++packets;
            if (packets % 4 == 0) QCoreApplication::processEvents();
        }
        const double seconds = timer.elapsed() / 1000.0;
        state.counters["packets_per_s"] = packets / seconds;
        state.counters["repaints_per_s"] = (chart::GraphRepaintCount() - before) / seconds;
    }
}
BENCHMARK(BM_RepaintsUnderAFloodOfPackets)->Iterations(1)->Unit(benchmark::kMillisecond);

// A reset of the chart (Start Plotting, a changed axis) with eight traces of 55,296 points.
void BM_ChartReset(benchmark::State& state) {
    PrepareChart();
    for (auto _ : state)
        chart::ChartReset();
}
BENCHMARK(BM_ChartReset)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Panel().reset();
    return 0;
}
