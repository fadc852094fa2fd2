#pragma once

// A sea surface at one point: a random-phase sum of waves whose amplitudes follow a JONSWAP
// spectrum, on a mean level, optionally riding a slow tide. The components are equally
// spaced in frequency, so over whole periods of the sum its variance is exactly (Hm0 / 4)^2.

#include "sim/SimOptions.h"

#include <cstdint>
#include <vector>

namespace undarix::sim {

class WaveSignal {
public:
    WaveSignal() = default;
    WaveSignal(const WaveOptions& options, double meanLevel, std::uint64_t seed);

    // Water level in meters above the bottom of the staff at time t (seconds).
    [[nodiscard]] double LevelAt(double t) const;
    [[nodiscard]] double MeanLevel() const { return mean_; }
    [[nodiscard]] double Hm0() const { return hm0_; }

    // The (not normalised) JONSWAP density at frequency f for peak frequency fp.
    [[nodiscard]] static double Jonswap(double f, double fp, double gamma);

private:
    struct Component {
        double omega;
        double amplitude;
        double phase;
    };
    std::vector<Component> components_;
    double mean_ = 0.0;
    double hm0_ = 0.0;
    bool tide_ = false;
    double tideAmplitude_ = 0.0;
    double tideOmega_ = 0.0;
    double tidePhase_ = 0.0;
};

} // namespace undarix::sim
