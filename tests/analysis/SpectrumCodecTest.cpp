// The signal-analysis functions against what standard practice says they must give: window
// constants from the literature, a sine's power in its bin, Parseval, the noise floor of a
// density spectrum, the Bessel response, and the wave statistics of known series.

#include "analysis/codec/BesselFilter.h"
#include "analysis/codec/PowerSpectrum.h"
#include "analysis/codec/SeriesAnalysis.h"
#include "analysis/codec/SpectrumUnits.h"
#include "analysis/codec/Statistics.h"
#include "analysis/codec/WaveStatistics.h"
#include "analysis/codec/Windows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace undarix::analysis::codec {
namespace {

constexpr double kPi = std::numbers::pi;

std::vector<double> Sine(int count, double rate, double hz, double amplitude, double phase = 0.0) {
    std::vector<double> x(count);
    for (int i = 0; i < count; ++i)
        x[i] = amplitude * std::sin(2 * kPi * hz * i / rate + phase);
    return x;
}

std::vector<double> WhiteNoise(int count, unsigned seed, double sigma = 1.0) {
    std::mt19937 random(seed);
    std::normal_distribution<double> normal(0.0, sigma);
    std::vector<double> x(count);
    for (double& v : x)
        v = normal(random);
    return x;
}

double Variance(const std::vector<double>& x) {
    double mean = 0.0, deviation = 0.0;
    EXPECT_EQ(StdDev(x.data(), int(x.size()), &mean, &deviation), kAnalysisOk);
    return deviation * deviation;
}

TEST(StdDevTest, DividesByNAndKeepsPrecisionUnderALargeMean) {
    struct Case {
        std::vector<double> samples;
        double mean;
        double deviation;
    };
    const Case cases[] = {
        {{1, 2, 3, 4}, 2.5, std::sqrt(1.25)},
        {{1e9 + 1, 1e9 + 2, 1e9 + 3, 1e9 + 4}, 1e9 + 2.5, std::sqrt(1.25)},
        {{-3.5}, -3.5, 0.0},
        {{2.345, 2.345, 2.345}, 2.345, 0.0},
    };
    for (const Case& c : cases) {
        double mean = 0, deviation = -1;
        ASSERT_EQ(StdDev(c.samples.data(), int(c.samples.size()), &mean, &deviation), kAnalysisOk);
        EXPECT_DOUBLE_EQ(mean, c.mean);
        EXPECT_NEAR(deviation, c.deviation, 1e-9);
    }
    double mean = 0, deviation = 0;
    EXPECT_EQ(StdDev(nullptr, 0, &mean, &deviation), kTooFewSamples);
}

TEST(WindowTest, ConstantsMatchTheLiteratureAndComeFromTheWindowItself) {
    struct Case {
        int type;
        double coherentGain;
        double enbw; // bins
    };
    // Harris (1978) and the instrument libraries' tables.
    const Case cases[] = {
        {kUniformWindow, 1.0, 1.0},
        {kHanningWindow, 0.5, 1.5},
        {kHammingWindow, 0.54, 1.3628},
        {kBlackmanHarrisWindow, 0.42323, 1.7086},
        {kExactBlackmanWindow, 0.42659, 1.6935},
        {kBlackmanWindow, 0.42, 1.7268},
        {kFlatTopWindow, 0.21557895, 3.7702},
        {kBlackmanHarris4Window, 0.35875, 2.0044},
    };
    for (const Case& c : cases) {
        std::vector<double> ones(1024, 1.0);
        WindowConstants constants;
        ASSERT_EQ(ScaledWindowEx(ones.data(), 1024, c.type, 0.0, &constants), kAnalysisOk);
        EXPECT_NEAR(constants.coherentGain, c.coherentGain, 1e-4) << c.type;
        EXPECT_NEAR(constants.enbw, c.enbw, 1e-3) << c.type;
        // Scaled by the coherent gain: the window's mean is 1.
        double sum = 0;
        for (double w : ones)
            sum += w;
        EXPECT_NEAR(sum / 1024, 1.0, 1e-12) << c.type;
    }
    WindowConstants constants;
    std::vector<double> x(8, 1.0);
    EXPECT_EQ(ScaledWindowEx(x.data(), 8, kWindowTypeCount, 0.0, &constants), kUnknownWindow);
    EXPECT_EQ(ScaledWindowEx(x.data(), 1, kHanningWindow, 0.0, &constants), kTooFewSamples);
}

TEST(WindowTest, IsThePeriodicForm) {
    // Periodic Hanning of 8: zero at 0, one at N/2, symmetric about N/2, not zero at N - 1.
    EXPECT_NEAR(WindowValue(kHanningWindow, 0, 8), 0.0, 1e-15);
    EXPECT_NEAR(WindowValue(kHanningWindow, 4, 8), 1.0, 1e-15);
    EXPECT_NEAR(WindowValue(kHanningWindow, 7, 8), 0.5 - 0.5 * std::cos(2 * kPi * 7 / 8), 1e-15);
    for (int type = 0; type < kWindowTypeCount; ++type)
        for (int i = 1; i < 8; ++i)
            EXPECT_NEAR(WindowValue(type, i, 16), WindowValue(type, 16 - i, 16), 1e-12) << type;
    // The flat top's peak is 1 at the centre (its coefficients sum to 1).
    EXPECT_NEAR(WindowValue(kFlatTopWindow, 8, 16), 1.0, 1e-8);
}

TEST(PowerSpectrumTest, UnitSineOnABinHasHalfItsSquareThereWithUniformAndScaledHanning) {
    const int n = 1024;
    const double rate = 32.0;
    const int bin = 64; // 2 Hz
    for (int type : {kUniformWindow, kHanningWindow}) {
        std::vector<double> x = Sine(n, rate, bin * rate / n, 1.0, 0.3);
        WindowConstants window;
        ASSERT_EQ(ScaledWindowEx(x.data(), n, type, 0.0, &window), kAnalysisOk);
        std::vector<double> power(n / 2);
        double df = 0;
        ASSERT_EQ(AutoPowerSpectrum(x.data(), n, 1.0 / rate, power.data(), &df), kAnalysisOk);
        EXPECT_DOUBLE_EQ(df, rate / n);
        EXPECT_NEAR(power[bin], 0.5, 1e-12) << type;
        if (type == kUniformWindow) {
            EXPECT_NEAR(power[bin - 1], 0.0, 1e-20);
        } else {
            // Hanning leaks a quarter of the amplitude into each neighbour.
            EXPECT_NEAR(power[bin - 1], 0.125, 1e-12);
            EXPECT_NEAR(power[bin + 1], 0.125, 1e-12);
        }
    }
}

TEST(PowerSpectrumTest, BinZeroIsTheSquaredMeanAndOddLengthsWork) {
    for (int n : {16, 17, 1000, 1001}) {
        std::vector<double> x(n, 0.75);
        std::vector<double> power(n / 2, -1.0);
        double df = 0;
        ASSERT_EQ(AutoPowerSpectrum(x.data(), n, 0.25, power.data(), &df), kAnalysisOk);
        EXPECT_NEAR(power[0], 0.5625, 1e-12) << n;
        for (int k = 1; k < n / 2; ++k)
            EXPECT_NEAR(power[k], 0.0, 1e-20) << n;
        EXPECT_DOUBLE_EQ(df, 1.0 / (n * 0.25));
    }
    double df = 0, power[1];
    const double one[1] = {1.0};
    EXPECT_EQ(AutoPowerSpectrum(one, 1, 0.25, power, &df), kTooFewSamples);
    const double two[2] = {1.0, 2.0};
    EXPECT_EQ(AutoPowerSpectrum(two, 2, 0.0, power, &df), kBadSampleInterval);
}

TEST(PowerSpectrumTest, ParsevalTheUnwindowedSpectrumSumsToTheMeanSquare) {
    // The n / 2 bins leave out the Nyquist line of an even length; its share is added here.
    for (int n : {512, 4096, 55296}) {
        std::vector<double> x = WhiteNoise(n, 7 + n);
        double meanSquare = 0, nyquist = 0;
        for (int i = 0; i < n; ++i) {
            meanSquare += x[i] * x[i] / n;
            nyquist += (i % 2 ? -x[i] : x[i]);
        }
        std::vector<double> power(n / 2);
        double df = 0;
        ASSERT_EQ(AutoPowerSpectrum(x.data(), n, 0.125, power.data(), &df), kAnalysisOk);
        double sum = nyquist * nyquist / (double(n) * n);
        for (double p : power)
            sum += p;
        EXPECT_NEAR(sum, meanSquare, 1e-12 * meanSquare) << n;
    }
}

TEST(PowerSpectrumTest, PlansEachLengthOnce) {
    std::vector<double> x = WhiteNoise(6000, 3);
    std::vector<double> power(3000);
    double df = 0;
    for (int n : {6000, 5999, 4096})
        ASSERT_EQ(AutoPowerSpectrum(x.data(), n, 1, power.data(), &df), 0);
    const long long made = FftPlansMade();
    for (int round = 0; round < 5; ++round)
        for (int n : {6000, 5999, 4096})
            ASSERT_EQ(AutoPowerSpectrum(x.data(), n, 1, power.data(), &df), kAnalysisOk);
    EXPECT_EQ(FftPlansMade(), made);
}

TEST(SpectrumUnitTest, ConvertsASineOfAmplitudeOneIntoEveryUnit) {
    const int n = 1024;
    const double rate = 8.0;
    const int bin = 100;
    struct Case {
        int window;
        int scaling;
        int unit;
        const char* text;
        double expected; // at the sine's bin; NAN: computed from the window below
    };
    const Case cases[] = {
        {kUniformWindow, kLinearScaling, kPowerRms, "M^2 rms", 0.5},
        {kUniformWindow, kLinearScaling, kAmplitudeRms, "M rms", std::sqrt(0.5)},
        {kUniformWindow, kLinearScaling, kAmplitudePeak, "M peak", 1.0},
        {kHanningWindow, kLinearScaling, kAmplitudePeak, "M peak", 1.0},
        {kUniformWindow, kLinearScaling, kPowerSpectralDensity, "M^2/Hz", 0.5 / (rate / n)},
        {kHanningWindow, kLinearScaling, kPowerSpectralDensity, "M^2/Hz", 0.5 / (1.5 * rate / n)},
        {kHanningWindow, kLinearScaling, kAmplitudeSpectralDensity, "M rms/sqrt(Hz)",
         std::sqrt(0.5 / (1.5 * rate / n))},
        {kUniformWindow, kDecibelScaling, kPowerRms, "dB M^2 rms", 10 * std::log10(0.5)},
        {kUniformWindow, kDecibelScaling, kAmplitudePeak, "dB M peak", 0.0},
        {kHanningWindow, kDecibelScaling, kPowerSpectralDensity, "dB M^2/Hz",
         10 * std::log10(0.5 / (1.5 * rate / n))},
        {kHanningWindow, kDecibelScaling, kAmplitudeRms, "dB M rms",
         20 * std::log10(std::sqrt(0.5))},
    };
    for (const Case& c : cases) {
        std::vector<double> x = Sine(n, rate, bin * rate / n, 1.0);
        WindowConstants window;
        ASSERT_EQ(ScaledWindowEx(x.data(), n, c.window, 0.0, &window), kAnalysisOk);
        std::vector<double> power(n / 2), converted(n / 2);
        double df = 0;
        ASSERT_EQ(AutoPowerSpectrum(x.data(), n, 1 / rate, power.data(), &df), kAnalysisOk);
        std::string unit = "M";
        ASSERT_EQ(SpectrumUnitConversion(power.data(), n / 2, kPowerSpectrumType, c.scaling, c.unit,
                                         df, window, converted.data(), unit),
                  kAnalysisOk);
        EXPECT_EQ(unit, c.text);
        EXPECT_NEAR(converted[bin], c.expected, 1e-9 * std::max(1.0, std::abs(c.expected)))
            << c.text << " window " << c.window;
    }
}

TEST(SpectrumUnitTest, SilenceInDecibelsIsFiniteAndBadCodesAreRefused) {
    const double power[3] = {0.0, 0.0, 1e-40};
    double converted[3];
    std::string unit = "M";
    ASSERT_EQ(SpectrumUnitConversion(power, 3, kPowerSpectrumType, kDecibelScaling, kPowerRms, 1.0,
                                     WindowConstants{}, converted, unit),
              kAnalysisOk);
    for (double v : converted)
        EXPECT_DOUBLE_EQ(v, -300.0);
    // The peak factor does not apply to the 0 Hz line.
    const double level[2] = {4.0, 4.0};
    ASSERT_EQ(SpectrumUnitConversion(level, 2, kPowerSpectrumType, kLinearScaling, kAmplitudePeak,
                                     1.0, WindowConstants{}, converted, unit),
              kAnalysisOk);
    EXPECT_DOUBLE_EQ(converted[0], 2.0);
    EXPECT_DOUBLE_EQ(converted[1], 2.0 * std::sqrt(2.0));
    unit = "M";
    EXPECT_EQ(SpectrumUnitConversion(power, 3, 1, 0, 0, 1.0, {}, converted, unit),
              kUnknownSpectrumType);
    EXPECT_EQ(SpectrumUnitConversion(power, 3, 0, 2, 0, 1.0, {}, converted, unit), kUnknownScaling);
    EXPECT_EQ(SpectrumUnitConversion(power, 3, 0, 0, 5, 1.0, {}, converted, unit),
              kUnknownDisplayUnit);
    EXPECT_EQ(
        SpectrumUnitConversion(power, 3, 0, 0, kPowerSpectralDensity, 0.0, {}, converted, unit),
        kBadSampleInterval);
    EXPECT_EQ(unit, "M"); // untouched by a refused call
}

TEST(SpectrumUnitTest, DensityOfWhiteNoiseIntegratesToItsVarianceWithEveryWindow) {
    const int n = 32768;
    const double rate = 16.0;
    for (int type = 0; type < kWindowTypeCount; ++type) {
        std::vector<double> x = WhiteNoise(n, 100 + type, 0.3);
        const double variance = Variance(x);
        WindowConstants window;
        ASSERT_EQ(ScaledWindowEx(x.data(), n, type, 0.0, &window), kAnalysisOk);
        std::vector<double> power(n / 2), density(n / 2);
        double df = 0;
        ASSERT_EQ(AutoPowerSpectrum(x.data(), n, 1 / rate, power.data(), &df), kAnalysisOk);
        std::string unit = "M";
        ASSERT_EQ(SpectrumUnitConversion(power.data(), n / 2, kPowerSpectrumType, kLinearScaling,
                                         kPowerSpectralDensity, df, window, density.data(), unit),
                  kAnalysisOk);
        double integral = 0;
        for (double d : density)
            integral += d * df;
        EXPECT_NEAR(integral / variance, 1.0, 0.03) << "window " << type;
    }
}

// |H(j w)| of the fifth-order phase-normalised Bessel high-pass at cut-off fc, from its
// polynomial: H_hp(s) = 1 / P(wc / s), P(s) = theta5(k s) / 945, k = 945^(1/5).
double AnalyticBesselHighPassGain(double f, double fc) {
    const double a[6] = {945, 945, 420, 105, 15, 1};
    const double k = std::pow(945.0, 0.2);
    const std::complex<double> s = (fc / f) / std::complex<double>(0.0, 1.0) * k;
    std::complex<double> p = a[5];
    for (int j = 4; j >= 0; --j)
        p = p * s + a[j];
    return std::abs(945.0 / p);
}

TEST(BesselFilterTest, GainMatchesTheFifthOrderBesselHighPass) {
    const double fs = 4.0, fc = 0.01;
    for (double f : {0.05, 0.01, 0.002}) {
        const int perPeriod = int(std::lround(fs / f));
        const int settle = 8000, periods = 10;
        const int n = settle + periods * perPeriod;
        std::vector<double> x = Sine(n, fs, f, 1.0);
        ASSERT_EQ(Bssl_HPF(x.data(), n, fs, fc, 5, x.data()), kAnalysisOk);
        // Amplitude of the steady-state sine over whole periods.
        double a = 0, b = 0;
        for (int i = settle; i < n; ++i) {
            a += x[i] * std::sin(2 * kPi * f * i / fs);
            b += x[i] * std::cos(2 * kPi * f * i / fs);
        }
        const double gain = 2.0 * std::hypot(a, b) / (n - settle);
        const double expected = AnalyticBesselHighPassGain(f, fc);
        EXPECT_NEAR(gain / expected, 1.0, 0.01) << f << " Hz: " << gain << " vs " << expected;
    }
}

TEST(BesselFilterTest, PassesWavesRemovesLevelsAndRampsAndRefusesBadDesigns) {
    const double fs = 4.0;
    const int n = 8000;
    std::vector<double> ramp(n);
    for (int i = 0; i < n; ++i)
        ramp[i] = 0.5 + 1e-3 * i;
    std::vector<double> out(n);
    ASSERT_EQ(Bssl_HPF(ramp.data(), n, fs, 0.01, 5, out.data()), kAnalysisOk);
    // Two zeros at 0 Hz and more: a level and a ramp die out once the start has settled.
    EXPECT_NEAR(out[n - 1], 0.0, 1e-6);
    // In place gives the same as into another array.
    std::vector<double> inPlace = ramp;
    ASSERT_EQ(Bssl_HPF(inPlace.data(), n, fs, 0.01, 5, inPlace.data()), kAnalysisOk);
    EXPECT_EQ(inPlace, out);
    // Every section is stable and the high-frequency gain is 1.
    BesselHighPassDesign design;
    ASSERT_EQ(DesignBesselHighPass(fs, 0.01, 5, &design), kAnalysisOk);
    EXPECT_EQ(design.sectionCount, 3);
    double nyquistGain = 1;
    for (int s = 0; s < design.sectionCount; ++s) {
        const Biquad& q = design.sections[s];
        EXPECT_LT(std::abs(q.a2), 1.0);
        EXPECT_LT(std::abs(q.a1), 1.0 + q.a2);
        nyquistGain *= (q.b0 - q.b1 + q.b2) / (1 - q.a1 + q.a2);
    }
    EXPECT_NEAR(nyquistGain, 1.0, 1e-12);

    double x[4] = {1, 2, 3, 4};
    EXPECT_EQ(Bssl_HPF(x, 4, 0.0, 0.01, 5, x), kBadSampleInterval);
    EXPECT_EQ(Bssl_HPF(x, 4, 0.02, 0.01, 5, x), kBadFilterSpec); // cut-off at Nyquist
    EXPECT_EQ(Bssl_HPF(x, 4, 4.0, 0.01, 0, x), kBadFilterSpec);
    EXPECT_EQ(Bssl_HPF(x, 4, 4.0, 0.01, kMaxBesselOrder + 1, x), kBadFilterSpec);
    EXPECT_EQ(x[3], 4.0);
}

TEST(BesselFilterTest, PrototypePolesAreTheRootsOfTheBesselPolynomial) {
    for (int order = 1; order <= kMaxBesselOrder; ++order) {
        std::complex<double> poles[kMaxBesselOrder];
        ASSERT_EQ(BesselPrototypePoles(order, poles), (order + 1) / 2);
        for (int i = 0; i < (order + 1) / 2; ++i) {
            EXPECT_LT(poles[i].real(), 0.0) << order;
            // Phase-normalised: the poles lie near the unit circle (Butterworth asymptote).
            EXPECT_GT(std::abs(poles[i]), 0.5) << order;
            EXPECT_LT(std::abs(poles[i]), 2.0) << order;
        }
    }
    // Order 5: the product of all poles' magnitudes is 1 (P(0) = 1, P monic).
    std::complex<double> poles[3];
    ASSERT_EQ(BesselPrototypePoles(5, poles), 3);
    const double product = std::norm(poles[0]) * std::norm(poles[1]) * std::abs(poles[2]);
    EXPECT_NEAR(product, 1.0, 1e-12);
}

TEST(WaveStatisticsTest, PureSineGivesItsPeriodAndTwiceItsAmplitude) {
    const double rate = 4.0, amplitude = 0.6;
    const int n = 4096; // 1024 s: 128 periods of 8 s
    std::vector<double> x = Sine(n, rate, 0.125, amplitude);
    std::vector<double> power(n / 2), scratch(n / 2);
    double df = 0;
    ASSERT_EQ(AutoPowerSpectrum(x.data(), n, 1 / rate, power.data(), &df), kAnalysisOk);
    const SpectralPeriods periods = SpectralWavePeriods(power.data(), n / 2, df);
    ASSERT_TRUE(periods.available);
    const double binWidthInPeriod = 8.0 * 8.0 * df; // dT = T^2 df
    EXPECT_NEAR(periods.tp, 8.0, binWidthInPeriod);
    EXPECT_NEAR(periods.tm01, 8.0, binWidthInPeriod);
    EXPECT_NEAR(periods.tm02, 8.0, binWidthInPeriod);
    const ZeroCrossingWaves waves = ZeroDownCrossingWaves(x.data(), n, 0.0, scratch.data(), n / 2);
    ASSERT_TRUE(waves.available);
    EXPECT_EQ(waves.waves, 127);
    EXPECT_NEAR(waves.h13, 2 * amplitude, 1e-9);
    EXPECT_NEAR(waves.hmax, 2 * amplitude, 1e-9);
}

TEST(WaveStatisticsTest, HighestThirdAndCrossingsCountedAboutTheLevel) {
    // Six whole waves of heights 1 to 6 (in a shuffled order), about a level of 3 m.
    const double heights[] = {3, 1, 6, 2, 5, 4};
    std::vector<double> x;
    for (double h : heights)
        for (int i = 0; i < 20; ++i)
            x.push_back(3.0 - h / 2 * std::sin(2 * kPi * i / 20));
    x.push_back(3.0); // closes the last wave with a down-crossing
    x.push_back(2.9);
    std::vector<double> scratch(x.size() / 2);
    const ZeroCrossingWaves waves =
        ZeroDownCrossingWaves(x.data(), int(x.size()), 3.0, scratch.data(), int(scratch.size()));
    ASSERT_TRUE(waves.available);
    EXPECT_EQ(waves.waves, 6);
    EXPECT_NEAR(waves.h13, 5.5, 1e-9);
    EXPECT_NEAR(waves.hmax, 6.0, 1e-9);

    struct Short {
        std::vector<double> series;
        bool available;
        int waves;
    };
    const Short cases[] = {
        {{1, 2, 3, 2, 1}, false, 0}, // no crossing
        {{1, -1, -2, -1}, false, 0}, // one crossing
        {{1, -1, 1, -1}, true, 1},   // two crossings: one wave of height 2
        {{}, false, 0},
    };
    for (const Short& c : cases) {
        std::vector<double> s(4);
        const ZeroCrossingWaves w =
            ZeroDownCrossingWaves(c.series.data(), int(c.series.size()), 0.0, s.data(), 4);
        EXPECT_EQ(w.available, c.available);
        EXPECT_EQ(w.waves, c.waves);
    }
}

TEST(WaveStatisticsTest, FlatSpectrumHasNoPeriods) {
    const double zeros[8] = {};
    EXPECT_FALSE(SpectralWavePeriods(zeros, 8, 0.1).available);
    const double levelOnly[4] = {2.0, 0, 0, 0};
    EXPECT_FALSE(SpectralWavePeriods(levelOnly, 4, 0.1).available);
}

TEST(SeriesAnalysisTest, Hm0IsFourTimesTheRootOfTheUnwindowedSpectrumsArea) {
    const int n = 8192;
    const double rate = 8.0;
    std::vector<double> x = WhiteNoise(n, 11, 0.2);
    for (int i = 0; i < n; ++i)
        x[i] += 1.7 + 0.3 * std::sin(2 * kPi * 0.1 * i / rate);
    std::vector<double> copy = x;
    std::vector<double> power(n / 2), converted(n / 2);
    SeriesOptions options;
    options.sampleRate = rate;
    options.windowType = kUniformWindow;
    options.displayUnit = kPowerRms;
    const SeriesResult result = AnalyzeSeries(x.data(), n, options, power.data(), converted.data());
    ASSERT_EQ(result.status, kAnalysisOk);
    double m0 = 0;
    for (double p : power)
        m0 += p;
    double nyquist = 0;
    for (int i = 0; i < n; ++i)
        nyquist += (i % 2 ? -x[i] : x[i]);
    m0 += nyquist * nyquist / (double(n) * n);
    EXPECT_NEAR(result.hm0, 4 * std::sqrt(m0), 1e-9);
    double mean = 0, deviation = 0;
    ASSERT_EQ(StdDev(copy.data(), n, &mean, &deviation), kAnalysisOk);
    EXPECT_DOUBLE_EQ(result.mean, mean);
    EXPECT_EQ(result.spectrumCount, n / 2);
    EXPECT_EQ(result.unit, "M^2 rms");
}

TEST(SeriesAnalysisTest, PackingLeavesOutMissingSamples) {
    const double values[] = {1, kMissingSample, 2, kMissingSample, kMissingSample, 3, 4};
    double work[7];
    EXPECT_EQ(PackSamples(values, 0, 7, work), 4);
    EXPECT_EQ(work[0], 1);
    EXPECT_EQ(work[3], 4);
    EXPECT_EQ(PackSamples(values, 1, 5, work), 1);
    EXPECT_EQ(PackSamples(values, 3, 3, work), 0);
}

} // namespace
} // namespace undarix::analysis::codec
