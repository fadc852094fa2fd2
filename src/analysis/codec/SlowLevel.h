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
};

// Fits the parabola to `count` evenly spaced samples and takes it off them in place when
// `remove`; otherwise takes off the mean only. Either way reports the fitted level.
SlowLevel TakeOffSlowLevel(double* samples, int count, bool remove);

} // namespace undarix::analysis::codec
