#pragma once

// The band of frequencies a sea-state record's waves are taken from. Below it lie the tide,
// seiches and a drifting zero; above it the instrument's noise, which would otherwise set the
// mean periods (the second moment weighs every bin by f^2 up to the Nyquist frequency) and
// add crossings that are no waves.
//
// The low edge is 0.04 Hz by default (25 s: the longest swell of a coast, and ten bins of the
// 1/256 Hz spectrum above 0 Hz). The top follows the sea unless set: 1 Hz, which keeps every
// sea of the field (a 1-second wave is 1.5 m long), or 4 times the peak frequency for the short
// seas of a tank; never above the Nyquist frequency.

#include "analysis/codec/WaveStatistics.h"

namespace undarix::analysis::codec {

inline constexpr double kDefaultBandLowHz = 0.04;
inline constexpr double kAutoBandTopHz = 1.0;
inline constexpr double kAutoBandPeakFactor = 4.0;

struct WaveBand {
    double low = 0.0;  // Hz
    double high = 0.0; // Hz
};

// The band for a spectrum of `bins` bins at step `df` of samples at `rate` Hz: from `lowHz`
// to `highHz`, or to the top that follows the sea when `highHz` is 0, within 0 .. rate / 2.
[[nodiscard]] WaveBand ChooseWaveBand(const double* power, int bins, double df, double rate,
                                      double lowHz, double highHz);

// The periods from the bins within the band. Tp is refined between bins: the parabola through
// the logarithms of the highest bin and its two neighbours peaks at the peak frequency (exact
// for a Gaussian peak, and within a few hundredths of a bin for a line under the Hann window),
// instead of stepping by a whole bin (3 % at 8 s).
[[nodiscard]] SpectralPeriods BandWavePeriods(const double* power, int bins, double df,
                                              const WaveBand& band);

} // namespace undarix::analysis::codec
