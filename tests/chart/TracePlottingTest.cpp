// Placing packets on the chart: capacity, start time, joins and gaps, starting over or
// stopping when full, and the faults around rate 0 and time scale 0.

#include "analysis/codec/SeriesAnalysis.h"
#include "chart/ChartState.h"
#include "chart/GraphPlots.h"
#include "chart/PacketFeed.h"
#include "core/ProgramState.h"
#include "support/Fixtures.h"
#include "ui/ControlRegistry.h"

#include <cmath>

namespace undarix::testing {
namespace {

using chart::ChartFifo;
using chart::DrawnRuns;
using chart::kNoSample;
using chart::PointRun;
using core::Program;
using Runs = std::vector<PointRun>;

class TracePlottingTest : public PanelTest {
protected:
    // Unit 7 at `rate` Hz on trace 1, time scale s, a fresh chart, plotting on.
    void StartChart(int rate, int timeScale = 1) {
        AddUnit(0, 7, rate);
        ChooseDevice(0, 7);
        ui::SetInt(chart::roles::RawPlotXAsis, timeScale);
        chart::ChartReset();
        Program.PlottingRunning = 1;
        ui::SetInt(chart::roles::RawStartStop, 1);
    }
    static QString StartText() { return ui::GetText(chart::roles::StartTimeText); }
    static const chart::Trace& Trace1() { return ChartFifo[0]; }
};

TEST_F(TracePlottingTest, CapacityIsSixteenTimesScaleTimesRateHeldAtTheBufferSize) {
    struct Case {
        int timeScale, rate, capacity;
    };
    const Case cases[] = {{1, 32, 512},     {108, 32, 55296}, {109, 32, 55296}, {500, 32, 55296},
                          {1, 1, 16},       {2, 60, 1920},    {0, 32, 0},       {3, 0, 0},
                          {216, 16, 55296}, {107, 32, 54784}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "s=" << c.timeScale << " rate=" << c.rate);
        StartChart(c.rate, c.timeScale);
        EXPECT_EQ(Trace1().deviceNumber, 7);
        EXPECT_EQ(Trace1().tableIndex, 0);
        EXPECT_FLOAT_EQ(Trace1().capacity, float(c.capacity));
        if (c.capacity == 0) continue;
        // x runs from 0 in steps of 1 / (s x rate), summed in single precision: over 55,296
        // points it drifts by under a thousandth of the width, less than a pixel.
        const int last = c.capacity - 1;
        EXPECT_EQ(Trace1().plotX[0], 0.0);
        EXPECT_NEAR(Trace1().plotX[last], double(last) / (c.timeScale * c.rate), 0.016);
        EXPECT_LT(Trace1().plotX[last], 16.0);
    }
}

TEST_F(TracePlottingTest, TheSeventeenthSecondStartsTheChartOverOrStopsIt) {
    for (int stopWhenFull : {0, 1}) {
        SCOPED_TRACE(stopWhenFull);
        Program.StopWhenFull = stopWhenFull;
        StartChart(32);
        for (int s = 0; s < 16; ++s)
            SendBlock(0, At(s), 32, 1.0f + s);
        EXPECT_EQ(DrawnRuns(0), (Runs{{0, 511}}));
        EXPECT_EQ(StartText(), "2026-12-07T12:00:00");
        EXPECT_EQ(Trace1().values[511], 16.0);

        SendBlock(0, At(16), 32, 2.5f);
        if (stopWhenFull) {
            EXPECT_EQ(Program.PlottingRunning, 0);
            EXPECT_EQ(ui::GetInt(chart::roles::RawStartStop), 0);
            EXPECT_EQ(DrawnRuns(0), (Runs{{0, 511}})); // the full chart stays to be analysed
            EXPECT_EQ(Trace1().values[0], 1.0);
            EXPECT_EQ(StartText(), "2026-12-07T12:00:00");
        } else {
            EXPECT_EQ(Program.PlottingRunning, 1);
            EXPECT_EQ(DrawnRuns(0), (Runs{{0, 31}}));
            EXPECT_EQ(StartText(), "2026-12-07T12:00:16");
            EXPECT_EQ(Trace1().values[0], 2.5);
            EXPECT_EQ(Trace1().values[32], kNoSample);
            EXPECT_EQ(Trace1().values[511], kNoSample);
            EXPECT_EQ(Trace1().writeIndex, 32);
            // The next second continues the new chart.
            SendBlock(0, At(17), 32, 3.0f);
            EXPECT_EQ(DrawnRuns(0), (Runs{{0, 63}}));
        }
    }
}

TEST_F(TracePlottingTest, BlocksJoinAcrossSecondsAndAMissingBlockLeavesABreak) {
    StartChart(32);
    SendBlock(0, At(0), 32, 1.0f, 0.01f);
    SendBlock(0, At(1), 32, 2.0f, 0.01f);
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 63}}));
    SendBlock(0, At(3), 32, 4.0f); // second 2 never came
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 63}, {96, 127}}));
    for (int i = 64; i < 96; ++i)
        ASSERT_EQ(Trace1().values[i], kNoSample) << i;
    EXPECT_FLOAT_EQ(float(Trace1().values[33]), 2.01f);
    EXPECT_DOUBLE_EQ(Trace1().plotY[96], 4.0 / 6.0);
    // A late block fills the gap as a line of its own: the write index had moved past it.
    SendBlock(0, At(2), 32, 3.0f);
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 63}, {64, 95}, {96, 127}}));
    EXPECT_EQ(Trace1().values[64], 3.0);
}

TEST_F(TracePlottingTest, BlocksBeforeTheStartAreNotDrawnAndFarOnesStartOver) {
    StartChart(32, 10);
    SendBlock(0, At(5), 32, 1.0f);
    EXPECT_EQ(StartText(), "2026-12-07T12:00:05");
    SendBlock(0, At(3), 32, 9.0f); // two seconds before the start
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 31}}));
    EXPECT_EQ(Trace1().values[0], 1.0);
    // A stamp a day later is held at the longest offset and starts the chart over there.
    Stamp nextDay = At(5);
    nextDay.day = 8;
    SendBlock(0, nextDay, 32, 2.0f);
    EXPECT_EQ(StartText(), "2026-12-08T12:00:05");
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 31}}));
    // Across a month end the time still counts in seconds.
    chart::ChartReset();
    Stamp lastSecond{2026, 12, 31, 23, 59, 59};
    SendBlock(0, lastSecond, 32, 1.0f);
    SendBlock(0, Stamp{2027, 1, 1, 0, 0, 0}, 32, 1.0f);
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 63}}));
}

TEST_F(TracePlottingTest, SingleSamplesGoByCountAndForceTheirStampIntoRange) {
    StartChart(4);
    Stamp stamp = At(10);
    stamp.month = 0; // as if January
    SendSample(0, stamp, 1, 0.5f);
    EXPECT_EQ(StartText(), "2026-01-07T12:00:10");
    EXPECT_EQ(Trace1().writeIndex, 1); // q = 0 x rate + count
    EXPECT_EQ(Trace1().values[1], 0.5);
    SendSample(0, stamp, 2, 0.75f);
    SendSample(0, stamp, 3, 1.0f);
    EXPECT_EQ(DrawnRuns(0), (Runs{{1, 3}}));
    SendSample(0, stamp, 5, 1.0f); // the fourth sample was lost
    EXPECT_EQ(DrawnRuns(0), (Runs{{1, 3}, {5, 5}}));
    // Other fields out of range are forced too: all of these read 2000-01-01T00:00:00.
    chart::ChartReset();
    SendSample(0, Stamp{1999, 13, 32, 24, 60, 60}, 1, 0.5f);
    EXPECT_EQ(StartText(), "2000-01-01T00:00:00");
}

TEST_F(TracePlottingTest, ASingleSamplePastTheRightEndStartsOverOrStops) {
    StartChart(1); // 16 points
    SendSample(0, At(0), 1, 1.0f);
    SendSample(0, At(0), 15, 1.0f);
    EXPECT_EQ(Trace1().writeIndex, 15);
    // The 16th sample since the time record starts over at the stamp plus 16 s; the values of
    // the chart that was are gone (point 15 no longer holds its value).
    SendSample(0, At(0), 16, 2.0f);
    EXPECT_EQ(StartText(), "2026-12-07T12:00:16.000");
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 0}}));
    EXPECT_EQ(Trace1().values[0], 2.0);
    EXPECT_EQ(Trace1().values[15], kNoSample);
    // The seconds are printed with three decimals, at least two characters wide.
    SendSample(0, At(0), 100, 2.0f);
    EXPECT_EQ(StartText(), "2026-12-07T12:01:40.000");
    Program.StopWhenFull = 1;
    SendSample(0, At(0), 60, 3.0f); // before the start: not drawn, nothing stops
    EXPECT_EQ(Program.PlottingRunning, 1);
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 0}}));
    SendSample(0, At(100), 20, 3.0f);
    EXPECT_EQ(Program.PlottingRunning, 0);
    EXPECT_EQ(ui::GetInt(chart::roles::RawStartStop), 0);
}

// After a single sample starts the chart over, the sample sits where its time puts it: the
// new start is the whole second of its count, the sample the rest of the count after it.
TEST_F(TracePlottingTest, TheSampleThatStartsOverSitsWhereItsTimePutsIt) {
    struct Case {
        int rate;
        int counts[2]; // two samples in a row past the right end
        int points[2];
        const char* start;
    };
    const Case cases[] = {
        {8, {130, 131}, {2, 3}, "2026-12-07T12:00:16.000"},
        {8, {128, 129}, {0, 1}, "2026-12-07T12:00:16.000"},
        {4, {70, 71}, {2, 3}, "2026-12-07T12:00:17.000"},
        {1, {16, 17}, {0, 1}, "2026-12-07T12:00:16.000"},
        {32, {1023, 1024}, {31, 32}, "2026-12-07T12:00:31.000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.rate << " Hz, count " << c.counts[0]);
        StartChart(c.rate);
        SendSample(0, At(0), 1, 1.0f);
        SendSample(0, At(0), c.counts[0], 2.0f);
        EXPECT_EQ(Trace1().writeIndex, c.points[0]);
        EXPECT_EQ(Trace1().values[c.points[0]], 2.0);
        SendSample(0, At(0), c.counts[1], 3.0f);
        EXPECT_EQ(Trace1().writeIndex, c.points[1]);
        EXPECT_EQ(Trace1().values[c.points[1]], 3.0);
        EXPECT_EQ(DrawnRuns(0), (Runs{{c.points[0], c.points[1]}}));
        EXPECT_EQ(StartText(), c.start);
    }
}

// What the analysis reads after such a start-over: only the points drawn since, on the single
// sample's trace and on a block trace of the same chart.
TEST_F(TracePlottingTest, AfterASingleSampleStartsOverOnlyNewPointsAreAnalysed) {
    AddUnit(1, 9, 32);
    ChooseDevice(1, 9);
    StartChart(1);
    SendSample(0, At(0), 0, 9.0f);
    for (int second = 0; second < 15; ++second) {
        SendSample(0, At(0), second + 1, 9.0f);
        SendBlock(1, At(second), 32, 3.0f);
    }
    SendSample(0, At(0), 16, 1.0f); // past the right end: starts over at 12:00:16
    SendBlock(1, At(16), 32, 2.0f);
    struct Case {
        int trace;
        int samples;
        double value;
    };
    for (const Case c : {Case{0, 1, 1.0}, Case{1, 32, 2.0}}) {
        SCOPED_TRACE(c.trace);
        const chart::Trace& trace = ChartFifo[std::size_t(c.trace)];
        std::vector<double> work(chart::kTracePoints);
        const int n =
            analysis::codec::PackSamples(trace.values, 0, int(trace.capacity), work.data());
        EXPECT_EQ(n, c.samples);
        for (int k = 0; k < n; ++k)
            EXPECT_EQ(work[std::size_t(k)], c.value) << k;
    }
}

TEST_F(TracePlottingTest, TimeScaleZeroStartsOverAtEveryBlockWithoutDrawing) {
    StartChart(32, 0);
    EXPECT_FLOAT_EQ(Trace1().capacity, 0.0f);
    EXPECT_DOUBLE_EQ(chart::Chart.xGain, 0.25);
    for (int s : {0, 1, 2}) {
        SendBlock(0, At(s), 32, float(s));
        EXPECT_EQ(StartText(), QString("2026-12-07T12:00:%1").arg(s, 2, 10, QChar('0')));
        EXPECT_EQ(Trace1().values[0], double(s));
        EXPECT_TRUE(DrawnRuns(0).empty()); // no x positions laid out, nothing to draw
    }
    Program.StopWhenFull = 1;
    SendBlock(0, At(3), 32, 3.0f);
    EXPECT_EQ(Program.PlottingRunning, 0);
}

TEST_F(TracePlottingTest, AUnitAtRateZeroIsNeverLaidOutNorPlotted) {
    StartChart(32);
    AddUnit(1, 9, 0);
    ChooseDevice(1, 9);
    EXPECT_EQ(chart::SetUpTrace(1), 0);
    EXPECT_FLOAT_EQ(ChartFifo[1].capacity, 0.0f);
    SendBlock(0, At(0), 32, 1.0f);
    SendBlock(1, At(1), 32, 1.0f);
    SendSample(1, At(1), 3, 1.0f);
    EXPECT_TRUE(DrawnRuns(1).empty());
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 31}})); // the other trace is not started over
    for (double x : ChartFifo[1].plotX)
        ASSERT_TRUE(std::isfinite(x));
}

TEST_F(TracePlottingTest, ARateChangeLaysTheTraceOutAgainAtItsNextPacket) {
    StartChart(32);
    SendBlock(0, At(0), 32, 1.0f);
    live::OutputLine[0].sampleRate = 8;
    SendBlock(0, At(1), 32, 1.0f);
    EXPECT_EQ(Trace1().sampleRate, 8);
    EXPECT_FLOAT_EQ(Trace1().capacity, 128.0f);
    EXPECT_DOUBLE_EQ(Trace1().plotX[8], 1.0);
    EXPECT_EQ(Trace1().writeIndex, 40);
}

TEST_F(TracePlottingTest, PacketsOfUnitsOnNoTraceAndUnitNumberZeroAreIgnored) {
    StartChart(32);
    AddUnit(1, 8, 32); // heard but not chosen
    AddUnit(2, 0, 32); // a unit reporting device number 0
    SendBlock(1, At(0), 32, 1.0f);
    SendBlock(2, At(0), 32, 1.0f);
    for (int t = 0; t < chart::kTraceCount; ++t)
        EXPECT_TRUE(DrawnRuns(t).empty()) << t;
    EXPECT_EQ(Program.NewChart, 1); // they did not start the chart either
    chart::PlotData(-1);
    chart::PlotContData(8);
}

TEST_F(TracePlottingTest, DeletedPlotsStayHiddenAndNewOnesDoNotJoinStalePoints) {
    AddUnit(1, 5, 32);
    ChooseDevice(1, 5);
    StartChart(32);
    SendBlock(0, At(0), 32, 1.0f);
    SendBlock(1, At(0), 32, 1.0f);
    SendBlock(1, At(1), 32, 1.0f);
    EXPECT_EQ(ChartFifo[1].writeIndex, 64);
    // Trace 1 passes the right end at second 16 and starts the chart over there; trace 2's
    // next block, two seconds into the new chart, lands exactly where its old line ended.
    for (int s = 1; s < 17; ++s)
        SendBlock(0, At(s), 32, 1.0f);
    EXPECT_EQ(DrawnRuns(1), Runs{});
    SendBlock(1, At(18), 32, 2.0f);
    EXPECT_EQ(DrawnRuns(1), (Runs{{64, 95}})); // no line from the deleted point 63
    EXPECT_EQ(ChartFifo[1].values[63], kNoSample);
}

TEST_F(TracePlottingTest, YSettingsScaleThePlotAndValuesStayInMeters) {
    ui::SetReal(chart::roles::YAxisRange, 2.0);
    ui::SetReal(chart::roles::YAxisOffset, -1.0);
    ui::Dispatch(chart::roles::YAxisRange, ui::Event::Commit);
    ui::Dispatch(chart::roles::YAxisOffset, ui::Event::Commit);
    StartChart(32);
    SendBlock(0, At(0), 32, 0.0f, 0.1f);
    EXPECT_DOUBLE_EQ(Trace1().plotY[0], 0.5);
    EXPECT_NEAR(Trace1().plotY[10], 1.0, 1e-6);
    EXPECT_FLOAT_EQ(float(Trace1().values[10]), 1.0f);
}

} // namespace
} // namespace undarix::testing
