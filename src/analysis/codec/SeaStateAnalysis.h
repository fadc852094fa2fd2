#pragma once

// One closed interval of one unit turned into its record: the quality control of the raw
// samples, then, on the cleaned series, the statistics every wave analysis of the program
// gives (mean level, Hm0 after the optional tide filter, zero down-crossing waves) and the
// periods of a spectrum averaged over overlapping segments.

#include "analysis/codec/QualityControl.h"
#include "analysis/codec/SeaStateRecord.h"
#include "analysis/codec/WelchSpectrum.h"

#include <vector>

namespace undarix::analysis::codec {

struct SeaStateSettings {
    int intervalMinutes = 30; // 10, 20, 30 or 60
    bool tideFilter = false;
    QcSettings qc;
};

// The intervals a user may choose, in minutes: whole fractions of a day.
[[nodiscard]] bool IsValidIntervalMinutes(int minutes);

// The length of the averaged segments: 256 s, so that df = 1/256 Hz whatever the rate.
inline constexpr int kSegmentSeconds = 256;
// Fewer good samples than this give no statistics.
inline constexpr int kFewestAnalysedSamples = 16;

// Working arrays of the analysis, grown to the largest interval met and then reused.
struct SeaStateWorkspace {
    std::vector<double> series;
    std::vector<double> scratch;
    std::vector<double> segment;
    std::vector<double> segmentPower;
    std::vector<double> spectrum;
    SegmentWindow window;
};

// The record of `expected` samples (`values`, NaN where none came) at `rate` Hz; the caller
// fills in the unit and the interval.
[[nodiscard]] SeaStateRecord AnalyzeInterval(const float* values, int expected, int rate,
                                             const SeaStateSettings& settings,
                                             SeaStateWorkspace& work);

} // namespace undarix::analysis::codec
