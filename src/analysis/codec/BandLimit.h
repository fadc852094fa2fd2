#pragma once

// A series limited to the wave band: what lies above its top (an instrument's noise) and below
// its bottom (infragravity waves, a harbour's seiche, what a fitted level left of the tide)
// taken off, so that the waves counted between zero crossings are those of the band.
//
// The series is mirrored at its ends before the transform (a cosine transform), so that it
// repeats without a step or a line to take off: a wave at either end goes on as its own mirror
// image, and nothing rings there. Zero phase: no wave moves in time.
//
// The top is sharp (as sharp as the series is long), since the noise lies well above the sea.
// The bottom rises as half a cosine from half the bottom frequency to the bottom itself: a
// sharp cut there would ring for tens of seconds round every wave group, while this one lets
// through the whole band and, by 90 s, nothing (its response dies within about a minute).

#include "analysis/codec/AnalysisStatus.h"
#include "analysis/codec/SlowLevel.h"

namespace undarix::analysis::codec {

// Takes the slow `level` off `count` samples at `rate` Hz in place, and with it everything
// above `topHz` and, when `bottomHz` is above 0, below `bottomHz`.
int LimitToBand(double* samples, int count, double rate, double bottomHz, double topHz,
                const SlowLevel& level);

} // namespace undarix::analysis::codec
