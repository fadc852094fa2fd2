// The simulator's sea through the sea-state analysis: its JONSWAP sea and its storm ramp are
// found interval by interval, and the faults it injects (spikes, flat stretches, gaps) are
// found and counted. The packets a simulated radio unit sends are decoded as the program
// decodes them and fed to the accumulator.

#include "analysis/codec/CalendarSeconds.h"
#include "analysis/codec/SeaStateAccumulator.h"
#include "live/codec/SampleText.h"
#include "sim/Calendar.h"
#include "sim/Simulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace undarix::sim::testing {
namespace {

namespace acodec = analysis::codec;

// One radio unit in "I" blocks (64 samples) at `rate`, its clock starting near
// 2026-12-07T12:00:00, run for `seconds`; every packet it sends goes to the accumulator.
std::vector<acodec::SeaStateRecord> RecordsOf(const SimOptions& base, double seconds,
                                              acodec::SeaStateSettings settings = {}) {
    SimOptions options = base;
    options.kind = 0;
    options.units = 1;
    options.formats = "I";
    SimState state;
    BuildState(state, options);
    state.context.calendarBase = FromCivil({2026, 12, 7, 12, 0, 0});
    RadioUnit& unit = state.radio.units[0];
    unit.config.clockOffset = 0.0;

    std::vector<acodec::SeaStateRecord> records;
    acodec::SeaStateAccumulator accumulator(
        settings, [&](const acodec::SeaStateRecord& r) { records.push_back(r); });
    std::vector<std::string> texts;
    float values[64];
    for (double now = 0.0; now <= seconds; now += 1.0) {
        texts.clear();
        unit.Advance(now, state.context, texts);
        for (const std::string& text : texts) {
            const live::codec::BlockHeader header = live::codec::DecodeBlockHeader(text);
            const int count = live::codec::DecodeBlockSamples(text, values);
            int t[6];
            live::codec::ParseTimeStamp(std::string_view(header.timeStamp, 19), t);
            const std::int64_t stamp =
                acodec::CalendarSeconds({t[0], t[1], t[2], t[3], t[4], t[5]});
            accumulator.AddBlock(unit.config.address, header.deviceNumber, stamp, header.sampleRate,
                                 values, count);
        }
    }
    accumulator.Flush();
    return records;
}

TEST(SeaStateOfTheSimulatedSea, TheJonswapSeaIsFoundWithinFivePercentInEveryInterval) {
    SimOptions options;
    options.rate = 8;
    options.wave.hm0 = 1.5;
    options.wave.tp = 8.0;
    const auto records = RecordsOf(options, 4 * 1800.0);
    ASSERT_EQ(records.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const acodec::SeaStateRecord& r = records[i];
        EXPECT_EQ(r.qc.flag, acodec::kQcPass);
        EXPECT_NEAR(r.hm0, 1.5, 0.05 * 1.5);
        EXPECT_NEAR(r.periods.tp, 8.0, 0.05 * 8.0);
        EXPECT_NEAR(r.waves.h13, 1.5, 0.15 * 1.5); // H1/3 of a real record wanders more
        // The JONSWAP shape orders its periods: Tp > Tm-1,0 > Tm01 > Tm02.
        EXPECT_GT(r.periods.tp, r.periods.tmm10);
        EXPECT_GT(r.periods.tmm10, r.periods.tm01);
        EXPECT_GT(r.periods.tm01, r.periods.tm02);
        EXPECT_NEAR(r.waves.tz, r.periods.tm02, 0.1 * r.periods.tm02);
    }
}

TEST(SeaStateOfTheSimulatedSea, AStormRampIsFollowedIntervalByInterval) {
    SimOptions options;
    options.rate = 4;
    options.wave.hm0 = 1.0;
    options.wave.tp = 6.0;
    options.wave.stormHm0 = 3.0;
    options.wave.stormTp = 10.0;
    options.wave.stormSeconds = 5 * 3600.0;
    const auto records = RecordsOf(options, 6 * 3600.0);
    ASSERT_GE(records.size(), 12u);
    const WaveSignal sea(options.wave, 1.5, 1);
    double previousHm0 = 0.0;
    for (std::size_t i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        const acodec::SeaStateRecord& r = records[i];
        const double middle = 1800.0 * double(i) + 900.0; // seconds into the run
        EXPECT_NEAR(r.hm0, sea.Hm0At(middle), 0.08 * sea.Hm0At(middle));
        EXPECT_NEAR(r.periods.tp, sea.TpAt(middle), 0.1 * sea.TpAt(middle));
        if (i < 10) {
            EXPECT_GT(r.hm0, previousHm0); // it grows while the storm ramps
        }
        previousHm0 = r.hm0;
    }
    EXPECT_NEAR(records[11].hm0, 3.0, 0.15);
    EXPECT_NEAR(records[11].periods.tp, 10.0, 1.0);
}

TEST(SeaStateOfTheSimulatedSea, InjectedFaultsAreFoundAndCounted) {
    struct Case {
        const char* name;
        std::function<void(WaveOptions&)> faults;
        std::function<void(const acodec::QcResult&)> check;
    };
    const Case cases[] = {
        {"a spike every 20 s", [](WaveOptions& w) { w.spikeEvery = 20.0; },
         [](const acodec::QcResult& q) {
             EXPECT_GE(q.spikes, 90); // 1800 / 20, and the odd real crest beyond 4 deviations
             EXPECT_LE(q.spikes, 95);
             EXPECT_EQ(q.spikeFlag, acodec::kQcSuspect);
         }},
        {"a stuck sensor for 5 s every 5 minutes",
         [](WaveOptions& w) {
             w.flatEvery = 300.0;
             w.flatFor = 5.0;
         },
         [](const acodec::QcResult& q) {
             EXPECT_EQ(q.flatSamples, 6 * 40);
             EXPECT_EQ(q.longestFlat, 40);
             EXPECT_EQ(q.flatFlag, acodec::kQcSuspect);
         }},
        {"two packets lost every 5 minutes",
         [](WaveOptions& w) {
             w.gapEvery = 300.0;
             w.gapFor = 16.0;
         },
         [](const acodec::QcResult& q) {
             EXPECT_EQ(q.missing, 6 * 128);
             EXPECT_EQ(q.longestGap, 128);
             EXPECT_EQ(q.gapFlag, acodec::kQcSuspect);
         }},
        {"a sixth of the packets lost: fail",
         [](WaveOptions& w) {
             w.gapEvery = 480.0;
             w.gapFor = 80.0;
         },
         [](const acodec::QcResult& q) {
             EXPECT_LT(q.present, 0.9 * q.expected);
             EXPECT_EQ(q.gapFlag, acodec::kQcFail);
             EXPECT_EQ(q.flag, acodec::kQcFail);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimOptions options;
        options.rate = 8;
        options.wave.hm0 = 1.5;
        c.faults(options.wave);
        const auto records = RecordsOf(options, 1800.0 + 8.0);
        ASSERT_GE(records.size(), 1u);
        EXPECT_EQ(records[0].qc.expected, 14400);
        c.check(records[0].qc);
    }
}

TEST(SeaStateOfTheSimulatedSea, TheSeasOwnFaultsSitOnTheUnitsClock) {
    WaveOptions options;
    options.hm0 = 1.0;
    options.spikeEvery = 10.0;
    options.spikeHeight = 4.0;
    options.flatEvery = 60.0;
    options.flatFor = 2.0;
    options.gapEvery = 100.0;
    options.gapFor = 5.0;
    const WaveSignal sea(options, 2.0, 7);
    const double base = 1000.0; // the clock at t = 0
    struct Case {
        double clock;
        bool spike, flat, gap;
    };
    const Case cases[] = {{1010.0, true, false, false},  {1010.125, false, false, false},
                          {1020.0, true, true, false},   {1021.875, false, true, false},
                          {1022.0, false, false, false}, {1100.0, true, false, true},
                          {1104.9, false, false, true},  {1105.0, false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clock);
        const double t = c.clock - base;
        const double measured = sea.MeasuredAt(t, c.clock, 0.125);
        const double held = sea.LevelAt(t - std::fmod(c.clock, 60.0));
        const double expected = (c.flat ? held : sea.LevelAt(t)) + (c.spike ? 4.0 : 0.0);
        EXPECT_DOUBLE_EQ(measured, expected);
        EXPECT_EQ(sea.InGap(c.clock), c.gap);
    }
}

} // namespace
} // namespace undarix::sim::testing
