// The sea state per interval with its default settings against series whose truth is known
// from their own components: a sea of many sines on the interval's own frequency grid (so that
// its variance and moments are exact sums over the components), laid on a tide, a focused
// wave group, spikes, white noise, or quantised to whole millimeters at 1 Hz.

#include "analysis/codec/CalendarSeconds.h"
#include "analysis/codec/SeaStateAccumulator.h"
#include "analysis/codec/SeaStateFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <map>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace undarix::analysis::codec {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr std::uint64_t kAddress = 0x0013A20040A1B2C3ull;
constexpr double kSeconds = 1800.0;

std::int64_t At(int hour, int minute) {
    return CalendarSeconds({2026, 12, 7, hour, minute, 0});
}

// A plain linear congruential source in [0, 1): no library's generator.
struct Lcg {
    unsigned state;
    double Next() {
        state = state * 1103515245u + 12345u;
        return double(state >> 8) / double(1u << 24);
    }
};

struct Component {
    double amplitude, frequency, phase;
};

// A Pierson-Moskowitz sea of significant height `hs` and peak period `tp`, its components at
// whole multiples of 1/1800 Hz from 0.6 to 2.5 times the peak frequency, random phases.
std::vector<Component> Sea(double hs, double tp, unsigned seed) {
    std::vector<Component> sea;
    Lcg random{seed};
    const double fp = 1.0 / tp, df = 1.0 / kSeconds;
    for (int k = int(std::ceil(0.6 * fp / df)); k * df <= 2.5 * fp; ++k) {
        const double f = k * df;
        const double s = 5.0 / 16.0 * hs * hs * std::pow(fp, 4) * std::pow(f, -5) *
                         std::exp(-1.25 * std::pow(fp / f, 4));
        sea.push_back({std::sqrt(2.0 * s * df), f, 2 * kPi * random.Next()});
    }
    return sea;
}

double Elevation(const std::vector<Component>& sea, double t) {
    double z = 0.0;
    for (const Component& c : sea)
        z += c.amplitude * std::cos(2 * kPi * c.frequency * t + c.phase);
    return z;
}

struct Truth {
    double hm0, tm02;
};

// Components at the same frequency add as phasors before their power counts.
Truth TruthOf(const std::vector<Component>& sea) {
    std::map<long, std::complex<double>> lines;
    for (const Component& c : sea)
        lines[std::lround(c.frequency * kSeconds)] += std::polar(c.amplitude, c.phase);
    double m0 = 0.0, m2 = 0.0;
    for (const auto& [k, line] : lines) {
        const double f = double(k) / kSeconds, power = std::norm(line) / 2;
        m0 += power;
        m2 += f * f * power;
    }
    return {4 * std::sqrt(m0), std::sqrt(m0 / m2)};
}

// The highest wave between zero down-crossings of a series, found the plain way.
double HighestWave(const std::vector<float>& z) {
    double highest = 0.0, top = 0.0, bottom = 0.0;
    bool started = false;
    for (std::size_t i = 0; i + 1 < z.size(); ++i) {
        top = std::max(top, double(z[i]));
        bottom = std::min(bottom, double(z[i]));
        if (z[i] >= 0 && z[i + 1] < 0) {
            if (started) highest = std::max(highest, top - bottom);
            started = true;
            top = bottom = 0.0;
        }
    }
    return highest;
}

SeaStateRecord OneRecord(const std::vector<float>& values, int rate,
                         const SeaStateSettings& settings = {}) {
    std::vector<SeaStateRecord> records;
    SeaStateAccumulator accumulator(settings,
                                    [&](const SeaStateRecord& r) { records.push_back(r); });
    for (std::size_t first = 0; first < values.size(); first += std::size_t(rate))
        accumulator.AddBlock(kAddress, 7, At(12, 0) + std::int64_t(first) / rate, rate,
                             values.data() + first, rate);
    accumulator.Flush();
    EXPECT_EQ(records.size(), 1u);
    return records.empty() ? SeaStateRecord{} : records[0];
}

// A group of 40 components all cresting at `at` seconds: a crest of 2 m.
std::vector<Component> FocusedGroup(double at = 900.0) {
    std::vector<Component> group;
    for (int k = 0; k < 40; ++k) {
        const double f = (200 + 4 * k) / kSeconds;
        group.push_back({2.0 / 40, f, -2 * kPi * f * at});
    }
    return group;
}

std::vector<Component> operator+(std::vector<Component> a, const std::vector<Component>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(SeaStateTruth, DefaultsGiveTheTruthOfEachKindOfSeries) {
    struct Case {
        const char* name;
        int rate;
        std::vector<Component> sea;            // the waves: the truth
        std::function<double(double t)> level; // the slow level under them
        double noise = 0.0;                    // white noise's standard deviation (m)
        int spikeEvery = 0;                    // a +3 m spike every this many samples
        bool millimeters = false;
        double levelChangeError = 0.005; // a parabola fitted over a swinging level tilts a little
        int spikeRun = 1;             // the spikes come this many in a row (one more every other time)
        int lostSeconds = 0;          // lost from 600 s on
    };
    // A semi-diurnal tide of 1 m amplitude at mid-tide, rising 0.25 m in the half hour.
    const auto tide = [](double t) { return 3.0 + 1.0 * std::sin(2 * kPi * t / (12.42 * 3600)); };
    const auto still = [](double) { return 1.5; };
    // Infragravity waves of 120 s and 90 s, below the wave band: not sea, not tide.
    const auto infragravity = [](double t) {
        return 1.5 + 0.10 * std::cos(2 * kPi * t / 120 + 0.3) + 0.08 * std::cos(2 * kPi * t / 90 + 1.1);
    };
    const Case cases[] = {
        {"a sea of Hs 0.30 m on a tide", 8, Sea(0.30, 6.0, 1), tide},
        {"a sea of Hs 0.10 m on a tide", 8, Sea(0.10, 6.0, 2), tide},
        {"a steep sea (Hs 1.27 m) with a focused crest of 2 m, and +3 m spikes", 8,
         Sea(1.27, 8.0, 3) + FocusedGroup(), still, 0.0, 1111},
        {"calm water (Hs 2 cm) at 1 Hz in whole millimeters", 1, Sea(0.02, 6.0, 4), still, 0.0,
         0, true},
        {"small waves (Hs 5 cm) under 2 mm of white noise at 32 Hz", 32, Sea(0.05, 4.0, 5), still,
         0.002},
        {"a sea of Hs 0.50 m on infragravity waves of 120 s and 90 s", 8, Sea(0.50, 7.0, 6),
         infragravity, 0.0, 0, false, 0.015},
        {"a swell of 20 s just above the bottom of the band", 8, Sea(1.0, 20.0, 7), still},
        {"a sea of Hs 1 m with 160 s lost", 8, Sea(1.0, 8.0, 8), still, 0.0, 0, false, 0.005, 1,
         160},
        {"a sea of Hs 0.50 m on infragravity waves, 160 s lost", 8, Sea(0.50, 7.0, 6),
         infragravity, 0.0, 0, false, 0.015, 1, 160},
        {"a focused crest of 2 m 10 s before the end, on infragravity waves", 8,
         Sea(1.27, 8.0, 9) + FocusedGroup(kSeconds - 10.0), infragravity, 0.0, 0, false, 0.015},
        {"a focused crest of 2 m 20 s after the start", 8,
         Sea(1.27, 8.0, 10) + FocusedGroup(20.0), still},
        {"a focused crest of 2 m at 1 Hz", 1, Sea(1.0, 8.0, 11) + FocusedGroup(), still, 0.0, 0,
         false, 0.01},
        {"a focused crest of 2 m at 2 Hz", 2, Sea(1.0, 8.0, 12) + FocusedGroup(), still, 0.0, 0,
         false, 0.01},
        {"a sea of Hs 1 m on a seiche of 0.4 m at 100 s", 8, Sea(1.0, 8.0, 13),
         [](double t) { return 2.0 + 0.4 * std::sin(2 * kPi * t / 100.0); }, 0.0, 0, false,
         0.05},
        {"the steep sea with +3 m spikes 4 and 5 in a row", 8, Sea(1.27, 8.0, 3) + FocusedGroup(),
         still, 0.0, 7001, false, 0.005, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int n = int(kSeconds) * c.rate;
        std::vector<float> values(static_cast<std::size_t>(n)), waves(values.size());
        Lcg noise{99};
        double meanLevel = 0.0;
        int spikes = 0;
        for (int i = 0; i < n; ++i) {
            const double t = double(i) / c.rate;
            waves[std::size_t(i)] = float(Elevation(c.sea, t));
            meanLevel += c.level(t) / n;
            // Uniform noise over +-sqrt(3) standard deviations.
            double z = waves[std::size_t(i)] + c.level(t) +
                       c.noise * std::sqrt(12.0) * (noise.Next() - 0.5);
            if (c.millimeters) z = std::round(z * 1000) / 1000;
            if (c.spikeEvery > 0) {
                const int event = i / c.spikeEvery, at = i % c.spikeEvery - c.spikeEvery / 2;
                if (at >= 0 && at < c.spikeRun + (c.spikeRun > 1 ? event % 2 : 0)) {
                    z += 3.0;
                    ++spikes;
                }
            }
            values[std::size_t(i)] = t >= 600 && t < 600 + c.lostSeconds ? NAN : float(z);
        }
        const Truth truth = TruthOf(c.sea);

        const SeaStateRecord r = OneRecord(values, c.rate);
        // 13 spikes are under 0.1 %; a lost stretch is suspect.
        EXPECT_EQ(r.qc.flag, c.lostSeconds > 0 ? kQcSuspect : kQcPass) << SeaStateCsvLine(r);
        EXPECT_EQ(r.qc.spikes, spikes);
        EXPECT_EQ(r.qc.flatSamples, 0);
        ASSERT_TRUE(r.analysed && r.waves.available && r.periods.available);
        EXPECT_NEAR(r.hm0, truth.hm0, 0.03 * truth.hm0);
        // The seconds of samples that came and were kept.
        EXPECT_DOUBLE_EQ(r.analysedSeconds, kSeconds - c.lostSeconds - double(spikes) / c.rate);
        EXPECT_NEAR(r.waves.tz, truth.tm02, 0.05 * truth.tm02);
        EXPECT_NEAR(r.periods.tm02, truth.tm02, 0.03 * truth.tm02);
        // The highest wave seen: before the lost stretch or after it.
        const std::size_t lostFrom = std::size_t(600 * c.rate),
                          lostTo = lostFrom + std::size_t(c.lostSeconds * c.rate);
        const double highest =
            c.lostSeconds == 0
                ? HighestWave(waves)
                : std::max(HighestWave({waves.begin(), waves.begin() + long(lostFrom)}),
                           HighestWave({waves.begin() + long(lostTo), waves.end()}));
        EXPECT_NEAR(r.waves.hmax, highest, 0.03 * truth.hm0 + 0.001);
        EXPECT_NEAR(r.mean, meanLevel, 0.001 + 0.01 * truth.hm0);
        EXPECT_NEAR(r.levelChange, c.level(kSeconds - 1.0 / c.rate) - c.level(0.0),
                    c.levelChangeError);
    }
}

// Runs of spikes and drop-outs to the staff's foot, at every phase of the waves: each is taken
// out whole, and the waves are those of the sea.
TEST(SeaStateTruth, RunsOfSpikesAndDropOutsAreTakenOutWhereverTheyFall) {
    constexpr int rate = 8;
    const std::vector<Component> sea = Sea(1.0, 8.0, 21);
    const int n = int(kSeconds) * rate;
    std::vector<float> clean(static_cast<std::size_t>(n)), waves(clean.size());
    for (int i = 0; i < n; ++i) {
        waves[std::size_t(i)] = float(Elevation(sea, double(i) / rate));
        clean[std::size_t(i)] = 6.0f + waves[std::size_t(i)];
    }
    const double highest = HighestWave(waves), hm0 = TruthOf(sea).hm0;
    struct Run {
        const char* name;
        int length;
        std::function<float(float)> make;
    };
    const Run runs[] = {
        {"5 samples 2.5 m up", 5, [](float z) { return z + 2.5f; }},
        {"10 samples 1.5 m down", 10, [](float z) { return z - 1.5f; }},
        {"15 samples dropped to 0 m", 15, [](float) { return 0.0f; }},
        {"2 samples 3 m up", 2, [](float z) { return z + 3.0f; }},
    };
    for (const Run& run : runs)
        for (int at = 2000; at < 2000 + 64; at += 3) { // every phase of an 8 s wave
            SCOPED_TRACE(std::string(run.name) + " at " + std::to_string(at));
            std::vector<float> values = clean;
            for (int k = at; k < at + run.length; ++k)
                values[std::size_t(k)] = run.make(values[std::size_t(k)]);
            const SeaStateRecord r = OneRecord(values, rate);
            ASSERT_EQ(r.qc.spikes, run.length);
            EXPECT_NEAR(r.waves.hmax, highest, 0.01 * hm0);
            EXPECT_NEAR(r.hm0, hm0, 0.01 * hm0);
        }
}

TEST(SeaStateTruth, TpLiesBetweenBinsAndTooLittleDataGivesNoWaveParametersAndSaysWhy) {
    struct Case {
        double period;  // a swell of 0.5 m amplitude ...
        double seconds; // ... for this long from the interval's start, at 8 Hz
        const char* because; // empty: wave parameters are given
    };
    const Case cases[] = {
        {256.0 / 35.5, kSeconds, ""}, // half way between two bins of 1/256 Hz
        {256.0 / 20.3, kSeconds, ""},
        {256.0 / 60.25, kSeconds, ""},
        {8.0, 200.0, "200 s of good samples; at least 256 s are needed"},
        {20.0, 300.0, "14 waves in the band; at least 20 are needed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.period);
        std::vector<float> values(std::size_t(kSeconds * 8), NAN);
        for (int i = 0; i < int(c.seconds * 8); ++i)
            values[std::size_t(i)] = float(1.0 + 0.5 * std::sin(2 * kPi * i / 8.0 / c.period));
        const SeaStateRecord r = OneRecord(values, 8);
        EXPECT_EQ(std::string(r.analysed ? "" : r.reason), c.because);
        EXPECT_EQ(r.analysed, *c.because == 0);
        EXPECT_TRUE(r.levelKnown);
        EXPECT_NEAR(r.mean, 1.0, 0.05);
        if (r.analysed) {
            EXPECT_NEAR(r.periods.tp, c.period, 0.003 * c.period);
        }
        const std::string line = SeaStateCsvLine(r);
        EXPECT_EQ(line.substr(line.rfind(',') + 1), c.because);
    }
}

} // namespace
} // namespace undarix::analysis::codec
