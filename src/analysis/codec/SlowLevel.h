#pragma once

// The slow water level of one interval (tide, surge, a drifting zero): the least-squares
// parabola through the samples. Over an interval of an hour at most a tide is a parabola to
// within a few millimeters, and a fit of three terms over the whole interval takes nothing out
// of the wave band (its slowest term spans the interval), shifts no wave in time and leaves no
// start-up transient at the edges, as a filter would.

namespace undarix::analysis::codec {

struct SlowLevel {
    double mean = 0.0;   // the mean level over the interval (m)
    double change = 0.0; // the fitted level at the last sample minus that at the first (m)
    // The parabola a0 + a1 t + a2 (t^2 - c), t = i - middle.
    double a0 = 0.0, a1 = 0.0, a2 = 0.0, middle = 0.0, c = 0.0;

    [[nodiscard]] double At(int i) const {
        const double t = i - middle;
        return a0 + a1 * t + a2 * (t * t - c);
    }
};

// Fits the parabola to `count` evenly spaced samples; `parabola` false fits the mean only
// (the level is then taken as flat, its change still reported). Where `filled` is given, the
// samples it marks (non-zero: lines drawn across a gap, no water seen) take no part in the
// fit, which the parabola then spans all the same.
[[nodiscard]] SlowLevel FitSlowLevel(const double* samples, int count, bool parabola,
                                     const unsigned char* filled = nullptr);

// Takes the fitted level off the samples in place.
void TakeOffSlowLevel(double* samples, int count, const SlowLevel& level);

} // namespace undarix::analysis::codec
