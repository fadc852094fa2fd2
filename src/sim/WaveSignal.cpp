#include "sim/WaveSignal.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace undarix::sim {
namespace {

// Enough components that the sum looks irregular for a quarter of an hour or more at the
// usual peak periods, few enough to evaluate 8 units at 32 Hz without effort.
constexpr int kComponents = 512;
// Below half the peak frequency the density is negligible; above five times it holds well
// under a percent of the energy.
constexpr double kLowFactor = 0.5;
constexpr double kHighFactor = 5.0;

} // namespace

double WaveSignal::Jonswap(double f, double fp, double gamma) {
    if (f <= 0.0) return 0.0;
    const double sigma = f <= fp ? 0.07 : 0.09;
    const double r = std::exp(-(f - fp) * (f - fp) / (2.0 * sigma * sigma * fp * fp));
    const double ratio = fp / f;
    return std::pow(f, -5.0) * std::exp(-1.25 * ratio * ratio * ratio * ratio) * std::pow(gamma, r);
}

WaveSignal::WaveSignal(const WaveOptions& options, double meanLevel, std::uint64_t seed)
    : mean_(meanLevel), hm0_(options.hm0), options_(options) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> uniform(0.0, 2.0 * std::numbers::pi);

    if ((options.hm0 > 0.0 || options.stormHm0 > 0.0) && options.tp > 0.0) {
        const double fp = 1.0 / options.tp;
        const double fLow = kLowFactor * fp;
        const double df = (kHighFactor - kLowFactor) * fp / kComponents;
        components_.reserve(kComponents);
        double variance = 0.0;
        for (int i = 0; i < kComponents; ++i) {
            const double f = fLow + (i + 0.5) * df;
            const double amplitude = std::sqrt(2.0 * Jonswap(f, fp, options.gamma) * df);
            components_.push_back({2.0 * std::numbers::pi * f, amplitude, uniform(random)});
            variance += amplitude * amplitude / 2.0;
        }
        // Scale the spectrum so that 4 x standard deviation is 1 m; LevelAt scales by Hm0.
        const double wanted = 1.0 / 4.0;
        const double scale = variance > 0.0 ? wanted / std::sqrt(variance) : 0.0;
        for (Component& c : components_)
            c.amplitude *= scale;
    }
    tide_ = options.tide && options.tidePeriod > 0.0;
    tideAmplitude_ = options.tideAmplitude;
    tideOmega_ = tide_ ? 2.0 * std::numbers::pi / options.tidePeriod : 0.0;
    tidePhase_ = uniform(random);
}

namespace {

double RampFraction(const WaveOptions& o, double t) {
    if (!(o.stormSeconds > 0.0)) return 0.0;
    return std::clamp(t / o.stormSeconds, 0.0, 1.0);
}

bool Storm(const WaveOptions& o) {
    return o.stormSeconds > 0.0;
}

// Whether [from, to] of the clock reaches a whole multiple of `every` (but 0).
bool PassesMultiple(double from, double to, double every) {
    constexpr double kEpsilon = 1e-6; // clocks are sums of doubles
    return std::floor((to + kEpsilon) / every) > std::floor((from + kEpsilon) / every);
}

} // namespace

double WaveSignal::Hm0At(double t) const {
    if (!Storm(options_)) return hm0_;
    return hm0_ + (options_.stormHm0 - hm0_) * RampFraction(options_, t);
}

double WaveSignal::TpAt(double t) const {
    if (!Storm(options_) || !(options_.stormTp > 0.0)) return options_.tp;
    return options_.tp + (options_.stormTp - options_.tp) * RampFraction(options_, t);
}

double WaveSignal::WaveTime(double t) const {
    if (!Storm(options_) || !(options_.stormTp > 0.0) || t <= 0.0) return t;
    const double tp0 = options_.tp, tp1 = options_.stormTp, span = options_.stormSeconds;
    const double slope = (tp1 - tp0) / span;
    // The integral of tp0 / Tp(s) ds: a logarithm while Tp ramps, straight after.
    const auto ramped = [&](double u) {
        return slope == 0.0 ? u : tp0 / slope * std::log((tp0 + slope * u) / tp0);
    };
    if (t <= span) return ramped(t);
    return ramped(span) + tp0 / tp1 * (t - span);
}

double WaveSignal::LevelAt(double t) const {
    const double wt = WaveTime(t);
    double waves = 0.0;
    for (const Component& c : components_)
        waves += c.amplitude * std::sin(c.omega * wt + c.phase);
    double level = mean_ + Hm0At(t) * waves;
    if (tide_) level += tideAmplitude_ * std::sin(tideOmega_ * t + tidePhase_);
    return level;
}

double WaveSignal::MeasuredAt(double t, double clock, double interval) const {
    double level = 0.0;
    const double flatStart =
        options_.flatEvery > 0.0
            ? std::floor((clock + 1e-6) / options_.flatEvery) * options_.flatEvery
            : 0.0;
    if (options_.flatEvery > 0.0 && flatStart > 0.0 && clock - flatStart < options_.flatFor)
        level = LevelAt(t - (clock - flatStart)); // held since the stretch began
    else
        level = LevelAt(t);
    if (options_.spikeEvery > 0.0 && PassesMultiple(clock - interval, clock, options_.spikeEvery))
        level += options_.spikeHeight;
    return level;
}

bool WaveSignal::InGap(double clock) const {
    if (!(options_.gapEvery > 0.0)) return false;
    const double start = std::floor((clock + 1e-6) / options_.gapEvery) * options_.gapEvery;
    return start > 0.0 && clock - start < options_.gapFor;
}

} // namespace undarix::sim
