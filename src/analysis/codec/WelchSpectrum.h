#pragma once

// The spectrum of a long record as the average of the spectra of overlapping segments
// (Welch's method): segments of a fixed length, each half overlapping the one before, have
// their straight-line trend taken off and the Hann window applied (ScaledWindowEx), and their
// power spectra (AutoPowerSpectrum) are averaged. Averaging trades resolution for a steadier
// estimate: its degrees of freedom grow with the number of segments.

#include "analysis/codec/AnalysisStatus.h"
#include "analysis/codec/Windows.h"

#include <vector>

namespace undarix::analysis::codec {

struct WelchResult {
    int status = kAnalysisOk;
    int segmentLength = 0;         // points per segment (the record's length if shorter)
    int bins = 0;                  // segmentLength / 2
    double df = 0.0;               // Hz per bin
    int segments = 0;              // averaged
    double degreesOfFreedom = 0.0; // of each bin, for the overlap of the Hann window
};

// The degrees of freedom of an average of `segments` Hann-windowed segments of `length`
// points that overlap by half: 2K / (1 + 2 (K - 1) / K rho^2), rho being the window's
// correlation with itself shifted by half a segment (1/6 for Hann).
[[nodiscard]] double WelchDegreesOfFreedom(int segments, int length);

// The scaled Hann window of one segment length as ScaledWindowEx makes it, worked out once
// and applied to every segment of that length.
struct SegmentWindow {
    int length = 0;
    std::vector<double> weights;
    WindowConstants constants;
};

// Averages the spectra of the segments of `count` samples (`segmentLength` points each, or
// one segment of all `count` when the record is shorter). `averaged` receives segmentLength
// / 2 bins in the square of the samples' unit per bin, scaled so that the bins add up to the
// variance of the series. `work` holds segmentLength doubles, `segmentPower` segmentLength / 2;
// `window` keeps the window between calls.
[[nodiscard]] WelchResult WelchPowerSpectrum(const double* samples, int count, int segmentLength,
                                             double sampleInterval, SegmentWindow& window,
                                             double* work, double* segmentPower, double* averaged);

} // namespace undarix::analysis::codec
