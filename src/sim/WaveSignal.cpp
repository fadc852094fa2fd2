#include "sim/WaveSignal.h"

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
    : mean_(meanLevel), hm0_(options.hm0) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> uniform(0.0, 2.0 * std::numbers::pi);

    if (options.hm0 > 0.0 && options.tp > 0.0) {
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
        // Scale the spectrum so that 4 x standard deviation is the chosen Hm0.
        const double wanted = options.hm0 / 4.0;
        const double scale = variance > 0.0 ? wanted / std::sqrt(variance) : 0.0;
        for (Component& c : components_)
            c.amplitude *= scale;
    }
    tide_ = options.tide && options.tidePeriod > 0.0;
    tideAmplitude_ = options.tideAmplitude;
    tideOmega_ = tide_ ? 2.0 * std::numbers::pi / options.tidePeriod : 0.0;
    tidePhase_ = uniform(random);
}

double WaveSignal::LevelAt(double t) const {
    double level = mean_;
    for (const Component& c : components_)
        level += c.amplitude * std::sin(c.omega * t + c.phase);
    if (tide_) level += tideAmplitude_ * std::sin(tideOmega_ * t + tidePhase_);
    return level;
}

} // namespace undarix::sim
