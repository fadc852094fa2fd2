#pragma once

// One closed interval of one unit turned into its record: the quality control of the raw
// samples; the slow level of the cleaned series taken off (SlowLevel.h), then the optional tide
// filter; the spectrum averaged over overlapping segments, and from it the wave band
// (WaveBand.h), its moments and Tp; the series limited to the band (BandLimit.h), and from it
// Hm0 (4 x its standard deviation over the samples that came: exact for a wave group, which
// the averaged spectrum weighs by where its segments fall) and the zero down-crossing waves,
// less those drawn across a gap of more than a second. Too short a
// series, or too few waves, gives the level, the counts and the flags, no wave parameters,
// and why.

#include "analysis/codec/BandLimit.h"
#include "analysis/codec/QualityControl.h"
#include "analysis/codec/SeaStateRecord.h"
#include "analysis/codec/WaveBand.h"
#include "analysis/codec/WelchSpectrum.h"

#include <vector>

namespace undarix::analysis::codec {

struct SeaStateSettings {
    int intervalMinutes = 30; // 10, 20, 30 or 60
    bool tideFilter = false;
    bool removeSlowLevel = true; // off: only the mean is taken off before the statistics
    // The wave band the moments, Tp and the waves are taken over (WaveBand.h).
    double bandLowHz = kDefaultBandLowHz;
    double bandHighHz = 0.0; // 0: follows the sea
    QcSettings qc;
};

// The intervals a user may choose, in minutes: whole fractions of a day.
[[nodiscard]] bool IsValidIntervalMinutes(int minutes);

// The length of the averaged segments: 256 s, so that df = 1/256 Hz whatever the rate.
inline constexpr int kSegmentSeconds = 256;
// A record gives wave parameters only from this much good series: one whole spectral segment
// (so every record's spectrum has the same resolution) ...
inline constexpr double kLeastRecordSeconds = kSegmentSeconds;
// ... holding this many waves in the band (fewer make Hs uncertain by more than about 15 %).
inline constexpr double kLeastRecordWaves = 20;

// Working arrays of the analysis, grown to the largest interval met and then reused.
struct SeaStateWorkspace {
    std::vector<double> series;
    std::vector<double> scratch;
    std::vector<double> segment;
    std::vector<double> segmentPower;
    std::vector<double> spectrum;
    std::vector<unsigned char> filled; // 1 where the series was filled across a gap or a spike
    std::vector<unsigned char> unseen; // 1 within fills longer than a second
    SlowPartAtEnds slowAtEnds;
    SegmentWindow window;
};

// The record of `expected` samples (`values`, NaN where none came) at `rate` Hz; the caller
// fills in the unit and the interval.
[[nodiscard]] SeaStateRecord AnalyzeInterval(const float* values, int expected, int rate,
                                             const SeaStateSettings& settings,
                                             SeaStateWorkspace& work);

} // namespace undarix::analysis::codec
