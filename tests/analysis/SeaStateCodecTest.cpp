// The sea state per interval from samples fed as units send them: known seas give their known
// parameters, the quality control counts exactly what was done to a series, intervals close
// at their edges (midnight, a unit starting late, a new rate), and the published record keeps
// its form in any locale.

#include "analysis/codec/CalendarSeconds.h"
#include "analysis/codec/QualityControl.h"
#include "analysis/codec/SeaStateAccumulator.h"
#include "analysis/codec/SeaStateFormat.h"
#include "analysis/codec/WelchSpectrum.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace undarix::analysis::codec {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr std::uint64_t kAddress = 0x0013A20040A1B2C3ull;
constexpr int kDevice = 7;

std::int64_t At(int day, int hour, int minute, int second = 0) {
    return CalendarSeconds({2026, 12, day, hour, minute, second});
}

std::string StartText(const SeaStateRecord& record) {
    char text[20];
    FormatIsoTime(record.start, text);
    return text;
}

using Level = std::function<double(double seconds)>;

Level Sine(double amplitude, double period, double mean = 2.0) {
    return [=](double t) { return mean + amplitude * std::sin(2 * kPi * t / period); };
}

// Feeds a unit's blocks of `block` samples at `rate` Hz from calendar second `from` for
// `seconds`, as a unit stamps them: each block with the whole second of its first sample.
struct Feeder {
    SeaStateAccumulator accumulator;
    std::vector<SeaStateRecord> records;

    explicit Feeder(SeaStateSettings settings = {}) : accumulator(settings) {
        accumulator.SetSink([this](const SeaStateRecord& r) { records.push_back(r); });
    }

    void Blocks(std::int64_t from, double seconds, int rate, const Level& level, int block = 32,
                const std::function<bool(std::int64_t sample, float& value)>& edit = {}) {
        const std::int64_t total = std::int64_t(seconds * rate);
        std::vector<float> values;
        for (std::int64_t first = 0; first < total; first += block) {
            values.clear();
            for (std::int64_t i = first; i < std::min(total, first + block); ++i) {
                float value = float(level(double(i) / rate));
                if (edit && !edit(i, value)) break; // the rest of the block is lost
                values.push_back(value);
            }
            if (values.size() != std::size_t(std::min<std::int64_t>(block, total - first)))
                continue; // a lost packet
            accumulator.AddBlock(kAddress, kDevice, from + first / rate, rate, values.data(),
                                 int(values.size()));
        }
    }
};

TEST(SeaStateKnownSeas, ASineGivesItsHeightAndPeriodInEveryParameter) {
    struct Case {
        double amplitude, period;
        int rate;
    };
    const Case cases[] = {{0.5, 8.0, 32}, {1.2, 16.0, 4}, {0.2, 4.0, 8}, {0.75, 12.8, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.period);
        Feeder feed;
        feed.Blocks(At(7, 12, 0), 1800.0, c.rate, Sine(c.amplitude, c.period));
        feed.accumulator.Flush();
        ASSERT_EQ(feed.records.size(), 1u);
        const SeaStateRecord& r = feed.records[0];
        EXPECT_EQ(StartText(r), "2026-12-07T12:00:00");
        EXPECT_EQ(r.qc.expected, 1800 * c.rate);
        EXPECT_EQ(r.qc.present, 1800 * c.rate);
        EXPECT_EQ(r.qc.flag, kQcPass);
        ASSERT_TRUE(r.analysed && r.periods.available && r.waves.available);
        EXPECT_NEAR(r.mean, 2.0, 0.01 * c.amplitude); // not always whole periods
        // The transform bends the last seconds of a record a little below the band: a line
        // that does not end on a whole period loses up to 0.15 % of its Hm0 there.
        EXPECT_NEAR(r.hm0, 2 * std::sqrt(2.0) * c.amplitude, 1.5e-3 * 2 * std::sqrt(2.0) * c.amplitude);
        EXPECT_NEAR(r.periods.tp, c.period, 1e-6 * c.period); // every period here lies on a bin
        EXPECT_NEAR(r.waves.tz, c.period, 1e-3 * c.period);
        EXPECT_NEAR(r.waves.t13, c.period, 1e-2 * c.period);
        EXPECT_NEAR(r.waves.tmax, c.period, 1e-2 * c.period);
        EXPECT_NEAR(r.waves.h13, 2 * c.amplitude, 2e-3 * c.amplitude);
        // The highest of equal waves is the one the ends bend most: below the band the series'
        // ends are known to a few thousandths only.
        EXPECT_NEAR(r.waves.hmax, 2 * c.amplitude, 8e-3 * c.amplitude);
        EXPECT_NEAR(r.waves.waves, 1800.0 / c.period - 1, 1.0);
        for (double t : {r.periods.tm01, r.periods.tm02, r.periods.tmm10})
            EXPECT_NEAR(t, c.period, 0.03 * c.period);
        EXPECT_LT(r.periods.bandwidth, 0.15); // one line, widened by the window only
        EXPECT_DOUBLE_EQ(r.df, 1.0 / 256);
        EXPECT_EQ(r.segments, 13); // (1800 - 256) / 128 + 1
        EXPECT_NEAR(r.degreesOfFreedom, 2 * 13 / (1 + 2 * 12.0 / 13 / 36), 1e-6);
    }
}

TEST(SeaStateKnownSeas, HannDegreesOfFreedomFollowTheOverlapFormula) {
    struct Case {
        int segments;
        double expected;
    };
    // 2K for one segment; 36 K^2 / (19 K - 1) for Hann at half overlap.
    for (const Case& c : {Case{1, 2.0}, Case{2, 144.0 / 37}, Case{13, 36.0 * 169 / 246}})
        EXPECT_NEAR(WelchDegreesOfFreedom(c.segments, 8192), c.expected, 1e-4) << c.segments;
}

TEST(SeaStateKnownSeas, TheAveragedSpectrumHoldsTheVarianceOfNoise) {
    std::vector<double> x(65536);
    unsigned state = 12345;
    for (double& v : x) { // a plain linear congruential source: no library's generator
        state = state * 1103515245u + 12345u;
        v = (double(state >> 8) / double(1u << 24) - 0.5) * 2.0;
    }
    std::vector<double> work(1024), power(512), averaged(512);
    SegmentWindow window;
    const WelchResult r = WelchPowerSpectrum(x.data(), int(x.size()), 1024, 0.125, window,
                                             work.data(), power.data(), averaged.data());
    ASSERT_EQ(r.status, kAnalysisOk);
    EXPECT_EQ(r.segments, 127);
    double sum = 0.0;
    for (int k = 0; k < r.bins; ++k)
        sum += averaged[std::size_t(k)];
    EXPECT_NEAR(sum, 1.0 / 3.0, 0.01); // the variance of uniform noise on [-1, 1]
}

// The base of the quality-control cases: a sine at 8 Hz, 30 minutes, 14,400 samples.
struct QcCase {
    const char* name;
    std::function<bool(std::int64_t, float&)> edit;
    QcSettings settings;
    std::function<void(const QcResult&)> check;
};

TEST(SeaStateQualityControl, CountsExactlyWhatWasDoneToTheSeries) {
    QcSettings limits;
    limits.rangeLow = 1.0;
    limits.rangeHigh = 3.0;
    const QcCase cases[] = {
        {"spikes, replaced and counted",
         [](std::int64_t i, float& v) {
             if (i % 576 == 300) v += 3.0f; // 25 of them
             return true;
         },
         {},
         [](const QcResult& q) {
             EXPECT_EQ(q.spikes, 25);
             EXPECT_EQ(q.spikeFlag, kQcSuspect);
             EXPECT_EQ(q.gapFlag, kQcPass);
         }},
        {"a few spikes pass",
         [](std::int64_t i, float& v) {
             if (i % 2880 == 7) v -= 2.5f; // 5
             return true;
         },
         {},
         [](const QcResult& q) {
             EXPECT_EQ(q.spikes, 5);
             EXPECT_EQ(q.spikeFlag, kQcPass);
         }},
        {"gaps counted with their longest run",
         [](std::int64_t i, float&) {
             return !(i >= 1024 && i < 1120) && !(i >= 5024 && i < 5056);
         },
         {},
         [](const QcResult& q) {
             EXPECT_EQ(q.missing, 128);
             EXPECT_EQ(q.present, 14400 - 128);
             EXPECT_EQ(q.longestGap, 96);
             EXPECT_EQ(q.gapFlag, kQcSuspect);
             EXPECT_EQ(q.flag, kQcSuspect);
         }},
        {"85 % of the samples fail",
         [](std::int64_t i, float&) { return i >= 2176 || i < 16; },
         {},
         [](const QcResult& q) {
             EXPECT_EQ(q.present, 12240);
             EXPECT_EQ(q.gapFlag, kQcFail);
             EXPECT_EQ(q.flag, kQcFail);
         }},
        {"a flat stretch",
         [](std::int64_t i, float& v) {
             if (i >= 4000 && i < 4040) v = 2.25f; // 5 s at 8 Hz; the test looks for 2 s
             return true;
         },
         {},
         [](const QcResult& q) {
             EXPECT_EQ(q.flatSamples, 40);
             EXPECT_EQ(q.longestFlat, 40);
             EXPECT_EQ(q.flatFlag, kQcSuspect);
             EXPECT_EQ(q.spikes, 0);
         }},
        {"a flat stretch shorter than the test's length",
         [](std::int64_t i, float& v) {
             if (i >= 4000 && i < 4015) v = 2.25f;
             return true;
         },
         {},
         [](const QcResult& q) {
             EXPECT_EQ(q.flatSamples, 0);
             EXPECT_EQ(q.flatFlag, kQcPass);
         }},
        {"out of range, taken out before the spike test",
         [](std::int64_t i, float& v) {
             if (i % 1440 == 100) v = 5.0f; // 10
             return true;
         },
         limits,
         [](const QcResult& q) {
             EXPECT_EQ(q.outOfRange, 10);
             EXPECT_EQ(q.rangeFlag, kQcSuspect);
             EXPECT_EQ(q.spikes, 0);
         }},
        {"a shift of the mean level",
         [](std::int64_t i, float& v) {
             if (i >= 7200) v += 0.6f;
             return true;
         },
         {},
         [](const QcResult& q) {
             EXPECT_NEAR(q.meanShift, 0.6, 5e-3); // 112.5 periods in each half
             EXPECT_EQ(q.shiftFlag, kQcSuspect);
             EXPECT_EQ(q.spikes, 0);
         }},
    };
    for (const QcCase& c : cases) {
        SCOPED_TRACE(c.name);
        SeaStateSettings settings;
        settings.qc = c.settings;
        Feeder feed(settings);
        feed.Blocks(At(7, 12, 0), 1800.0, 8, Sine(0.5, 8.0), 16, c.edit);
        feed.accumulator.Flush();
        ASSERT_EQ(feed.records.size(), 1u);
        EXPECT_EQ(feed.records[0].qc.expected, 14400);
        c.check(feed.records[0].qc);
    }
}

TEST(SeaStateQualityControl, ReplacedSamplesAndGapsLeaveTheWaveHeightAsItWas) {
    Feeder clean, damaged;
    clean.Blocks(At(7, 12, 0), 1800.0, 8, Sine(0.5, 8.0), 16);
    damaged.Blocks(At(7, 12, 0), 1800.0, 8, Sine(0.5, 8.0), 16, [](std::int64_t i, float& v) {
        if (i % 500 == 17) v += 4.0f;
        return i % 3000 > 15; // a lost block now and then
    });
    clean.accumulator.Flush();
    damaged.accumulator.Flush();
    ASSERT_EQ(damaged.records.size(), 1u);
    EXPECT_GT(damaged.records[0].qc.spikes, 0);
    EXPECT_NEAR(damaged.records[0].hm0, clean.records[0].hm0, 0.01);
    EXPECT_NEAR(damaged.records[0].periods.tp, 8.0, 1e-4);
}

TEST(SeaStateQualityControl, NothingToAnalyseGivesARecordWithoutStatistics) {
    std::vector<float> none(14400, NAN);
    SeaStateWorkspace work;
    const SeaStateRecord r = AnalyzeInterval(none.data(), 14400, 8, {}, work);
    EXPECT_FALSE(r.analysed);
    EXPECT_EQ(r.qc.present, 0);
    EXPECT_EQ(r.qc.longestGap, 14400);
    EXPECT_EQ(r.qc.flag, kQcFail);
    const std::string line = SeaStateCsvLine(r);
    EXPECT_NE(line.find(",fail,"), std::string::npos);
}

TEST(SeaStateIntervals, EdgesOfIntervalsAndOfTheDay) {
    struct Case {
        const char* name;
        int minutes;
        std::function<void(Feeder&)> feed;
        std::vector<std::string> starts;
        std::vector<int> present; // per record, in samples at 4 Hz unless said
        std::vector<int> expected;
    };
    const Level sea = Sine(0.3, 8.0);
    const Case cases[] = {
        {"across midnight",
         30,
         [&](Feeder& f) { f.Blocks(At(7, 23, 45), 2700.0, 4, sea); },
         {"2026-12-07T23:30:00", "2026-12-08T00:00:00"},
         {900 * 4, 1800 * 4},
         {1800 * 4, 1800 * 4}},
        {"a unit that starts in the middle of an interval",
         30,
         [&](Feeder& f) { f.Blocks(At(7, 12, 10), 1200.0, 4, sea); },
         {"2026-12-07T12:00:00"},
         {1200 * 4},
         {1800 * 4}},
        {"a rate change at the interval's edge leaves the interval before whole",
         30,
         [&](Feeder& f) {
             f.Blocks(At(7, 12, 0), 1800.0, 8, sea);
             f.Blocks(At(7, 12, 30), 600.0, 16, sea);
         },
         {"2026-12-07T12:00:00", "2026-12-07T12:30:00"},
         {1800 * 8, 600 * 16},
         {1800 * 8, 1800 * 16}},
        {"a rate change inside the interval: a record at each rate, each whole over its stretch",
         30,
         [&](Feeder& f) {
             f.Blocks(At(7, 12, 0), 600.0, 4, sea);
             f.Blocks(At(7, 12, 10), 1200.0, 8, sea);
         },
         {"2026-12-07T12:00:00", "2026-12-07T12:00:00"},
         {600 * 4, 1200 * 8},
         {600 * 4, 1200 * 8}},
        {"a rate change inside the interval after a lost minute: the minute is missing",
         30,
         [&](Feeder& f) {
             f.Blocks(At(7, 12, 0), 540.0, 4, sea);
             f.Blocks(At(7, 12, 10), 1200.0, 8, sea);
         },
         {"2026-12-07T12:00:00", "2026-12-07T12:00:00"},
         {540 * 4, 1200 * 8},
         {600 * 4, 1200 * 8}},
        {"ten-minute intervals from the hour",
         10,
         [&](Feeder& f) { f.Blocks(At(7, 12, 5), 1200.0, 4, sea); },
         {"2026-12-07T12:00:00", "2026-12-07T12:10:00", "2026-12-07T12:20:00"},
         {300 * 4, 600 * 4, 300 * 4},
         {600 * 4, 600 * 4, 600 * 4}},
        {"hours",
         60,
         [&](Feeder& f) { f.Blocks(At(7, 11, 59, 30), 60.0, 4, sea); },
         {"2026-12-07T11:00:00", "2026-12-07T12:00:00"},
         {30 * 4, 30 * 4},
         {3600 * 4, 3600 * 4}},
        {"blocks longer than their stamps' seconds: 32 samples at 10 Hz",
         20,
         [&](Feeder& f) { f.Blocks(At(7, 12, 0), 1200.0, 10, sea, 32); },
         {"2026-12-07T12:00:00"},
         {12000},
         {12000}},
        {"a lost 3.2-second block at 10 Hz is missing by exactly its samples",
         20,
         [&](Feeder& f) {
             f.Blocks(At(7, 12, 0), 1200.0, 10, sea, 32,
                      [](std::int64_t i, float&) { return i / 32 != 100; });
         },
         {"2026-12-07T12:00:00"},
         {12000 - 32},
         {12000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SeaStateSettings settings;
        settings.intervalMinutes = c.minutes;
        Feeder feed(settings);
        c.feed(feed);
        feed.accumulator.Flush();
        EXPECT_EQ(feed.records.size(), c.starts.size());
        for (std::size_t i = 0; i < std::min(c.starts.size(), feed.records.size()); ++i) {
            EXPECT_EQ(StartText(feed.records[i]), c.starts[i]);
            EXPECT_EQ(feed.records[i].qc.present, c.present[i]);
            EXPECT_EQ(feed.records[i].qc.expected, c.expected[i]);
            EXPECT_EQ(feed.records[i].intervalMinutes, c.minutes);
        }
    }
}

TEST(SeaStateIntervals, ClosesOnTheNextIntervalsSampleOnTheClockOrAtTheEnd) {
    Feeder feed;
    feed.Blocks(At(7, 12, 0), 1799.0, 4, Sine(0.3, 8.0), 4);
    EXPECT_TRUE(feed.records.empty());
    feed.accumulator.CloseEndedBy(kAddress, At(7, 12, 29, 59));
    EXPECT_TRUE(feed.records.empty()); // not over yet
    feed.accumulator.CloseEndedBy(kAddress, At(7, 12, 30));
    ASSERT_EQ(feed.records.size(), 1u);
    EXPECT_FALSE(feed.accumulator.HasOpenInterval(kAddress));

    // A late block of the closed interval makes no second record of it.
    const float late[4] = {2, 2, 2, 2};
    feed.accumulator.AddBlock(kAddress, kDevice, At(7, 12, 29, 59), 4, late, 4);
    feed.accumulator.Flush();
    EXPECT_EQ(feed.records.size(), 1u);

    // A block of the next interval opens it; the end of the input closes it.
    feed.accumulator.AddBlock(kAddress, kDevice, At(7, 12, 31), 4, late, 4);
    EXPECT_EQ(feed.records.size(), 1u);
    feed.accumulator.Flush();
    ASSERT_EQ(feed.records.size(), 2u);
    EXPECT_EQ(StartText(feed.records[1]), "2026-12-07T12:30:00");
    EXPECT_EQ(feed.records[1].qc.present, 4);
}

TEST(SeaStateIntervals, UnitsAreKeptApartAndMemoryStaysAtOneIntervalEach) {
    SeaStateAccumulator accumulator;
    std::vector<SeaStateRecord> records;
    accumulator.SetSink([&](const SeaStateRecord& r) { records.push_back(r); });
    const float block[32] = {};
    std::size_t heldAfterFirstDay = 0;
    for (int hour = 0; hour < 48; ++hour) {
        for (int second = 0; second < 3600; ++second)
            for (std::uint64_t unit = 1; unit <= 3; ++unit)
                accumulator.AddBlock(unit, int(unit), At(1, 0, 0) + hour * 3600 + second, 32, block,
                                     32);
        if (hour == 23) heldAfterFirstDay = accumulator.HeldSamples();
    }
    EXPECT_EQ(accumulator.Units(), 3);
    EXPECT_EQ(records.size(), std::size_t(3 * (48 * 2 - 1)));
    EXPECT_EQ(heldAfterFirstDay, std::size_t(3 * 1800 * 32));
    EXPECT_EQ(accumulator.HeldSamples(), heldAfterFirstDay);
    for (const SeaStateRecord& r : records)
        EXPECT_EQ(r.deviceNumber, int(r.address));
}

TEST(SeaStateIntervals, AtMost64UnitsAreHeldTheRestAreCountedAndNamed) {
    SeaStateAccumulator accumulator;
    int records = 0;
    accumulator.SetSink([&](const SeaStateRecord&) { ++records; });
    const float block[32] = {};
    for (int second = 0; second < 3; ++second)
        for (std::uint64_t unit = 1; unit <= 999; ++unit)
            accumulator.AddBlock(unit, int(unit), At(1, 0, 0) + second, 32, block, 32);
    EXPECT_EQ(accumulator.Units(), kMostUnits);
    EXPECT_EQ(accumulator.HeldSamples(), std::size_t(kMostUnits) * 1800 * 32);
    EXPECT_EQ(accumulator.SkippedUnits(), 999 - kMostUnits);
    EXPECT_EQ(accumulator.SkippedSamples(), std::uint64_t(999 - kMostUnits) * 3 * 32);
    ASSERT_EQ(accumulator.SkippedNamed().size(), std::size_t(kMostSkippedNamed));
    EXPECT_EQ(accumulator.SkippedNamed()[0].device, kMostUnits + 1);
    EXPECT_EQ(accumulator.SkippedNamed()[0].samples, 3u * 32);
    accumulator.Flush();
    EXPECT_EQ(records, kMostUnits);
    // Their intervals closed, the first units give their places to new ones.
    accumulator.AddBlock(5000, 200, At(1, 0, 10), 32, block, 32);
    EXPECT_EQ(accumulator.Units(), kMostUnits);
    EXPECT_EQ(accumulator.SkippedUnits(), 999 - kMostUnits);
    EXPECT_TRUE(accumulator.HasOpenInterval(5000));
}

TEST(SeaStateIntervals, ANewIntervalLengthStartsAfreshAndAClockSetBackStartsOver) {
    Feeder feed;
    feed.Blocks(At(7, 12, 0), 600.0, 4, Sine(0.3, 8.0));
    SeaStateSettings tenMinutes;
    tenMinutes.intervalMinutes = 10;
    feed.accumulator.SetSettings(tenMinutes);
    EXPECT_FALSE(feed.accumulator.HasOpenInterval(kAddress));
    feed.Blocks(At(7, 12, 10), 600.0, 4, Sine(0.3, 8.0));
    // The clock set back by a day: the open interval closes, the unit starts over.
    feed.Blocks(At(6, 12, 0), 60.0, 4, Sine(0.3, 8.0));
    feed.accumulator.Flush();
    ASSERT_EQ(feed.records.size(), 2u);
    EXPECT_EQ(StartText(feed.records[0]), "2026-12-07T12:10:00");
    EXPECT_EQ(feed.records[0].qc.present, 2400);
    EXPECT_EQ(StartText(feed.records[1]), "2026-12-06T12:00:00");
}

// Stamps that jump for a few blocks and come back leave the interval whole but for the
// samples stamped wrong; a jump the unit goes on from for a minute is believed.
TEST(SeaStateIntervals, StampsThatJumpAndComeBackDoNotSplitTheInterval) {
    struct Stretch {
        std::int64_t from;
        double seconds;
    };
    struct Case {
        const char* name;
        std::vector<Stretch> stretches;
        std::vector<std::pair<const char*, int>> records; // start, samples present
    };
    const Case cases[] = {
        {"ten blocks stamped an hour ahead",
         {{At(7, 12, 0), 600}, {At(7, 13, 10), 10}, {At(7, 12, 10, 10), 1190}},
         {{"2026-12-07T12:00:00", 4 * 1790}}},
        {"80 s stamped an hour ahead",
         {{At(7, 12, 0), 600}, {At(7, 13, 10), 80}, {At(7, 12, 11, 20), 1120}},
         {{"2026-12-07T12:00:00", 4 * 1720}}},
        {"ten blocks stamped a day behind",
         {{At(7, 12, 0), 600}, {At(6, 12, 10), 10}, {At(7, 12, 10, 10), 1190}},
         {{"2026-12-07T12:00:00", 4 * 1790}}},
        {"the clock set two hours on for good",
         {{At(7, 12, 0), 600}, {At(7, 14, 10), 1200}},
         {{"2026-12-07T12:00:00", 4 * 600}, {"2026-12-07T14:00:00", 4 * 1200}}},
        {"a jump at the end of the input is believed",
         {{At(7, 12, 0), 600}, {At(7, 13, 10), 10}},
         {{"2026-12-07T12:00:00", 4 * 600}, {"2026-12-07T13:00:00", 4 * 10}}},
        {"the next interval is no jump",
         {{At(7, 12, 0), 1800}, {At(7, 12, 30), 10}},
         {{"2026-12-07T12:00:00", 4 * 1800}, {"2026-12-07T12:30:00", 4 * 10}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Feeder feed;
        for (const Stretch& stretch : c.stretches)
            feed.Blocks(stretch.from, stretch.seconds, 4, Sine(0.3, 8.0), 4);
        feed.accumulator.Flush();
        ASSERT_EQ(feed.records.size(), c.records.size());
        for (std::size_t i = 0; i < c.records.size(); ++i) {
            EXPECT_EQ(StartText(feed.records[i]), c.records[i].first);
            EXPECT_EQ(feed.records[i].qc.present, c.records[i].second);
        }
    }
    // Live, the page's clock follows the last stamp heard: a jump not yet believed closes
    // nothing by the clock either.
    Feeder live;
    live.Blocks(At(7, 12, 0), 600, 4, Sine(0.3, 8.0), 4);
    live.Blocks(At(7, 13, 10), 10, 4, Sine(0.3, 8.0), 4);
    live.accumulator.CloseEndedBy(kAddress, At(7, 13, 10, 10));
    EXPECT_TRUE(live.accumulator.HasOpenInterval(kAddress));
    EXPECT_TRUE(live.records.empty());
}

TEST(SeaStateCalendar, SecondsAndTextsOfTheUnitsCalendar) {
    struct Case {
        CalendarTime time;
        bool valid;
        const char* text;
    };
    const Case cases[] = {
        {{1970, 1, 1, 0, 0, 0}, true, "1970-01-01T00:00:00"},
        {{2024, 2, 29, 23, 59, 59}, true, "2024-02-29T23:59:59"},
        {{2100, 2, 29, 0, 0, 0}, false, nullptr},
        {{2026, 12, 7, 24, 0, 0}, false, nullptr},
        {{2026, 13, 1, 0, 0, 0}, false, nullptr},
        {{2000, 1, 1, 0, 0, 60}, false, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidCalendarTime(c.time), c.valid) << c.time.year;
        if (!c.valid) continue;
        char text[20];
        FormatIsoTime(CalendarSeconds(c.time), text);
        EXPECT_STREQ(text, c.text);
    }
    EXPECT_EQ(CalendarSeconds({2026, 12, 8, 0, 0, 0}) - CalendarSeconds({2026, 12, 7, 0, 0, 0}),
              86400);
}

TEST(SeaStateFormatTest, CsvAndJsonCarryEveryFieldInTheCLocalesForm) {
    Feeder feed;
    feed.Blocks(At(7, 12, 0), 1800.0, 8, Sine(0.5, 8.0), 16);
    feed.accumulator.Flush();
    ASSERT_EQ(feed.records.size(), 1u);
    SeaStateRecord record = feed.records[0];
    record.tideFilter = true;

    const std::string before = SeaStateCsvLine(record);
    const std::string jsonBefore = SeaStateJsonLine(record);
    // A comma-decimal locale must change nothing.
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    const std::string line = SeaStateCsvLine(record);
    const std::string json = SeaStateJsonLine(record);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(line, before);
    EXPECT_EQ(json, jsonBefore);
    if (!german) GTEST_LOG_(INFO) << "no de_DE.UTF-8 locale here: checked in the C locale only";

    const auto count = [](const std::string& s) { return std::count(s.begin(), s.end(), ','); };
    EXPECT_EQ(count(line), count(SeaStateCsvHeader()));
    EXPECT_EQ(
        line.rfind("7,0013A20040A1B2C3,2026-12-07T12:00:00,30,8,1,1,pass,14400,14400,0,0,", 0), 0u)
        << line;
    // The level, its change, the length analysed, the band, Hm0 and Tp.
    EXPECT_NE(line.find(",2.0000,-0.0042,1800.0,0.040,1.000,1.4139,8.000,"), std::string::npos)
        << line;
    EXPECT_EQ(line.back(), ','); // no reason for want of waves

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json;
    const QJsonObject object = document.object();
    EXPECT_EQ(object.size(), count(SeaStateCsvHeader()) + 1);
    EXPECT_EQ(object["device"].toInt(), 7);
    EXPECT_EQ(object["address"].toString(), "0013A20040A1B2C3");
    EXPECT_EQ(object["start"].toString(), "2026-12-07T12:00:00");
    EXPECT_TRUE(object["tide_filter"].toBool());
    EXPECT_EQ(object["flag"].toString(), "pass");
    EXPECT_NEAR(object["hm0_m"].toDouble(), 1.4139, 1e-4);
    EXPECT_NEAR(object["tp_s"].toDouble(), 8.0, 1e-9);

    record.analysed = false; // values not had: empty in CSV, null in JSON
    const QJsonObject empty =
        QJsonDocument::fromJson(QByteArray::fromStdString(SeaStateJsonLine(record))).object();
    EXPECT_TRUE(empty["hm0_m"].isNull());
    EXPECT_TRUE(empty["waves"].isNull());
    EXPECT_EQ(empty["no_waves_because"].toString(), "");
    EXPECT_NE(SeaStateCsvLine(record).find(",,,"), std::string::npos);
}

} // namespace
} // namespace undarix::analysis::codec
