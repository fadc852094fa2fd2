#pragma once

// A sea surface at one point: a random-phase sum of waves whose amplitudes follow a JONSWAP
// spectrum, on a mean level, optionally riding a slow tide. The components are equally
// spaced in frequency, so over whole periods of the sum its variance is exactly (Hm0 / 4)^2.
//
// A storm ramps Hm0 and Tp in a straight line from their start values: the heights scale with
// Hm0, and time runs through the components at tp / Tp(t), so every frequency follows the
// peak and the spectrum keeps its shape. What a unit measures may carry injected faults:
// spikes, flat stretches, and gaps in what it sends.

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
    // What a unit sampling at `interval` seconds measures at time t, its clock reading
    // `clock` (calendar seconds): the level, held through a flat stretch, raised at a spike.
    [[nodiscard]] double MeasuredAt(double t, double clock, double interval) const;
    // A packet whose first sample is taken at `clock` falls in a gap and is never sent.
    [[nodiscard]] bool InGap(double clock) const;
    // Hm0 and Tp of the sea at time t.
    [[nodiscard]] double Hm0At(double t) const;
    [[nodiscard]] double TpAt(double t) const;
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
    // Time as the components run through it: t, slowed or sped up as the storm lengthens or
    // shortens the peak period.
    [[nodiscard]] double WaveTime(double t) const;

    std::vector<Component> components_; // scaled to Hm0 = 1 m
    double mean_ = 0.0;
    double hm0_ = 0.0;
    WaveOptions options_;
    bool tide_ = false;
    double tideAmplitude_ = 0.0;
    double tideOmega_ = 0.0;
    double tidePhase_ = 0.0;
};

} // namespace undarix::sim
