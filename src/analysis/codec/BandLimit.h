#pragma once

// A series limited to the wave band: what lies above its top (an instrument's noise) and below
// its bottom (infragravity waves, a harbour's seiche, what a fitted level left of the tide)
// taken off, so that the waves counted between zero crossings are those of the band.
//
// The series is mirrored at its ends before the transform (a cosine transform), so that it
// repeats without a step or a line to take off: a wave at either end goes on as its own mirror
// image. Zero phase: no wave moves in time.
//
// The top is sharp (as sharp as the series is long), since the noise lies well above the sea.
// The bottom rises as half a cosine from half the bottom frequency to the bottom itself: a
// sharp cut there would ring for tens of seconds round every wave group, while this one lets
// through the whole band and nothing below half of it (50 s at 0.04 Hz); its response dies
// within about a minute.
//
// Within a minute or so of either end the slow part cannot be told from the end of a wave: the
// mirror image bends the series there (a wave's slope turns back), and what the bend sets
// below the band would be taken off the last waves, up to a sixth of their height. So the slow
// part taken off fades out towards the ends, over 6 / bottom seconds (150 s at 0.04 Hz), by
// which the bend's own part has died to a few thousandths of the waves' height.

#include "analysis/codec/AnalysisStatus.h"
#include "analysis/codec/SlowLevel.h"

#include <vector>

namespace undarix::analysis::codec {

// The part below the band given back near the ends: start[d] for sample d, end[d] for sample
// count - 1 - d, d < samples.
struct SlowPartAtEnds {
    int samples = 0;
    std::vector<double> start, end;
};

// Takes the slow `level` off `count` samples at `rate` Hz in place, and with it everything
// above `topHz` and, when `bottomHz` is above 0, below `bottomHz`. Near the ends the part
// below the band fades back in (see above); with `ends` it is put there instead, for the
// caller to add when it wants it.
int LimitToBand(double* samples, int count, double rate, double bottomHz, double topHz,
                const SlowLevel& level, SlowPartAtEnds* ends = nullptr);

void AddSlowPartAtEnds(double* samples, int count, const SlowPartAtEnds& ends);

} // namespace undarix::analysis::codec
