#pragma once

// Quality control of one interval of raw water levels before any statistics, after the usual
// real-time practice for in-situ wave records. Each test counts what it found and flags the
// record pass, suspect or fail:
//
//   gaps        samples missing by the time stamps and the rate: suspect when any is missing,
//               fail below the least share present (90 %)
//   range       samples outside the limits (the staff, or the user's): suspect when any, fail
//               above 10 % of those present; they are taken out like gaps
//   flat line   runs of identical values in a row as long as 2 s and at least 10 samples:
//               suspect when any, fail above 10 % of the samples present. The least count
//               keeps slow rates honest: calm water at 1 Hz in whole millimeters repeats a
//               value by chance two or three times (a run of 10 comes up by chance about
//               once in 10^9 half hours), while a stuck sensor is still caught in 10 s
//   spikes      samples that stand out from their neighbours: more than M (6) times the
//               spread of the sample-to-sample steps from the median of the 7 samples around
//               them and from each neighbour, on the same side. The spread is the median
//               size of the steps over the interval (a robust scale that the spikes
//               themselves hardly move), at least 1 mm, the resolution of the data files.
//               Runs of up to 2 s (a drop-out) count when they jump away and back by more
//               than twice any step within and beside them. A crest of any height, however
//               few samples its wave has, rises and falls with its neighbours and is kept
//               whole. They are taken out. Pass up to 0.1 % of the samples present, suspect
//               up to 1 %, fail above
//   mean shift  the means of the two halves differing by more than a limit (0.5 m): suspect
//
// What was taken out, and every gap, is then filled by straight lines between the good
// samples on either side, so the statistics run over an even series.

#include <cstdint>
#include <limits>

namespace undarix::analysis::codec {

enum QcFlag : int { kQcPass = 0, kQcSuspect = 1, kQcFail = 2 };

// "pass", "suspect" or "fail".
[[nodiscard]] const char* QcFlagName(int flag);

struct QcSettings {
    double minPresentPercent = 90.0; // gaps fail below this share of the expected samples
    double spikeDeviations = 6.0;    // M
    double flatSeconds = 2.0;        // a flat run lasts this many seconds ...
    int flatLeastSamples = 10;       // ... and holds at least this many samples
    // Limits in meters; an infinite limit is no limit. The staff's own limits, where known,
    // come in here too.
    double rangeLow = -std::numeric_limits<double>::infinity();
    double rangeHigh = std::numeric_limits<double>::infinity();
    double meanShiftLimit = 0.5; // meters
};

// The test thresholds a flag is judged by, besides the settings.
inline constexpr double kFailShareOutOfRange = 0.10;
inline constexpr double kFailShareFlat = 0.10;
inline constexpr double kPassShareSpikes = 0.001;
inline constexpr double kFailShareSpikes = 0.01;
// The samples a spike is judged against: itself and 3 on either side.
inline constexpr int kSpikeWindow = 7;
// The most samples in a row taken as one spike: 2 s (a sensor's drop-out), at least 10
// samples. Shorter than a wave; and no wave jumps away and back that far between samples.
[[nodiscard]] constexpr int LongestSpikeRun(int rate) { return rate * 2 > 10 ? rate * 2 : 10; }
// The least spread of the steps a spike is measured in (m): the data files' resolution.
inline constexpr double kSpikeScaleFloor = 0.001;

struct QcResult {
    int expected = 0;    // samples the interval should hold at the rate
    int present = 0;     // samples that came
    int missing = 0;     // expected - present
    int longestGap = 0;  // longest run of missing samples
    int outOfRange = 0;  // present samples outside the limits
    int flatSamples = 0; // samples in flat runs of at least N
    int longestFlat = 0;
    int spikes = 0;         // replaced
    double meanShift = 0.0; // mean of the second half minus that of the first (m)
    int gapFlag = kQcPass;
    int rangeFlag = kQcPass;
    int flatFlag = kQcPass;
    int spikeFlag = kQcPass;
    int shiftFlag = kQcPass;
    int flag = kQcPass; // the worst of them
    // The cleaned series in `series[0 .. length)`: from the first to the last good sample.
    int length = 0;
};

// Tests `expected` samples at `rate` Hz (`values`, NaN where none came) and writes the cleaned
// series to `series` (room for `expected` doubles); `scratch` holds `expected` doubles.
// `filled`, when given (room for `expected`), receives 1 for each sample of the series that
// was filled (none came, or it was taken out), 0 for each that came.
[[nodiscard]] QcResult RunQualityControl(const float* values, int expected, int rate,
                                         const QcSettings& settings, double* series,
                                         double* scratch, unsigned char* filled = nullptr);

} // namespace undarix::analysis::codec
