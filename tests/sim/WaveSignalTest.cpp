// The simulated sea: Hm0 and peak period as chosen, repeatable by seed, tide on request.

#include "sim/WaveSignal.h"

#include <gtest/gtest.h>

#include <fftw3.h>

#include <cmath>
#include <vector>

namespace undarix::sim::testing {
namespace {

struct Series {
    double mean = 0.0;
    double std = 0.0;
};

Series Measure(const WaveSignal& wave, double dt, int count) {
    double sum = 0.0;
    double squares = 0.0;
    for (int i = 0; i < count; ++i) {
        const double x = wave.LevelAt(i * dt);
        sum += x;
        squares += x * x;
    }
    Series s;
    s.mean = sum / count;
    s.std = std::sqrt(squares / count - s.mean * s.mean);
    return s;
}

// Frequency of the highest smoothed periodogram ordinate.
double PeakFrequency(const WaveSignal& wave, double dt, int count) {
    std::vector<double> x(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        x[std::size_t(i)] = wave.LevelAt(i * dt) - wave.MeanLevel();
    std::vector<fftw_complex> out(std::size_t(count / 2 + 1));
    fftw_plan plan = fftw_plan_dft_r2c_1d(count, x.data(), out.data(), FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    std::vector<double> power(out.size());
    for (std::size_t k = 0; k < out.size(); ++k)
        power[k] = out[k][0] * out[k][0] + out[k][1] * out[k][1];
    const int half = 15;
    double best = 0.0;
    std::size_t bestK = 0;
    for (std::size_t k = half; k + half < power.size(); ++k) {
        double smooth = 0.0;
        for (std::size_t j = k - half; j <= k + half; ++j)
            smooth += power[j];
        if (smooth > best) {
            best = smooth;
            bestK = k;
        }
    }
    return double(bestK) / (count * dt);
}

TEST(WaveSignal, FourStandardDeviationsAreTheChosenHm0) {
    const struct {
        double hm0;
        double tp;
    } cases[] = {{1.0, 8.0}, {0.25, 4.0}, {3.0, 12.0}, {0.05, 2.0}};
    for (const auto& c : cases) {
        for (std::uint64_t seed : {1u, 99u}) {
            SCOPED_TRACE(::testing::Message() << c.hm0 << " m, " << c.tp << " s, seed " << seed);
            WaveOptions options;
            options.hm0 = c.hm0;
            options.tp = c.tp;
            const WaveSignal wave(options, 2.0, seed);
            // About an hour and a half of a sea of 8 s: 16384 samples at 16 per peak period.
            const Series s = Measure(wave, c.tp / 16.0, 16384);
            EXPECT_NEAR(4.0 * s.std, c.hm0, 0.03 * c.hm0);
            EXPECT_NEAR(s.mean, 2.0, 0.05 * c.hm0);
            if (seed == 1) {
                EXPECT_NEAR(PeakFrequency(wave, c.tp / 16.0, 16384), 1.0 / c.tp, 0.1 / c.tp);
            }
        }
    }
}

TEST(WaveSignal, TheSameSeedRepeatsTheSea) {
    WaveOptions options;
    const WaveSignal a(options, 1.5, 7);
    const WaveSignal b(options, 1.5, 7);
    const WaveSignal c(options, 1.5, 8);
    double differs = 0.0;
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(a.LevelAt(i * 0.37), b.LevelAt(i * 0.37));
        differs = std::max(differs, std::fabs(a.LevelAt(i * 0.37) - c.LevelAt(i * 0.37)));
    }
    EXPECT_GT(differs, 0.1);
}

TEST(WaveSignal, TideRidesOnTheWaves) {
    WaveOptions options;
    options.tidePeriod = 600.0;
    const WaveSignal calm(options, 1.5, 3);
    options.tide = true;
    const WaveSignal tidal(options, 1.5, 3);
    double low = 1e9;
    double high = -1e9;
    for (int i = 0; i < 600; ++i) {
        const double tide = tidal.LevelAt(i) - calm.LevelAt(i);
        low = std::min(low, tide);
        high = std::max(high, tide);
    }
    EXPECT_NEAR(high, options.tideAmplitude, 0.01);
    EXPECT_NEAR(low, -options.tideAmplitude, 0.01);
}

TEST(WaveSignal, NoWavesIsTheMeanLevel) {
    WaveOptions options;
    options.hm0 = 0.0;
    const WaveSignal flat(options, 1.25, 1);
    EXPECT_EQ(flat.LevelAt(0.0), 1.25);
    EXPECT_EQ(flat.LevelAt(123.4), 1.25);
}

} // namespace
} // namespace undarix::sim::testing
