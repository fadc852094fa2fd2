#pragma once

// A series rid of what lies above a frequency (an instrument's noise): the bins of its
// transform above it set to nought, and the transform back. Zero phase (no wave moves in time)
// and as sharp as the series is long, so the waves counted on it are those below the top.
//
// The transform sees the series as repeating; the straight line from its first sample to its
// last is taken off before and put back after, so the ends meet without a step. The kink that
// is left rings only at the top frequency, within a second or so of the ends. (A cut as sharp
// at the bottom of the wave band would ring for tens of seconds: the slow level is taken off
// by its fit instead, SlowLevel.h.)

#include "analysis/codec/AnalysisStatus.h"
#include "analysis/codec/SlowLevel.h"

namespace undarix::analysis::codec {

// Takes everything above `topHz` off `count` samples at `rate` Hz, in place, and the slow
// `level` with it (one pass over the series fewer than taking it off first).
int LimitAbove(double* samples, int count, double rate, double topHz, const SlowLevel& level);

} // namespace undarix::analysis::codec
