#pragma once

// How much a wave analysis of the analysis page had to go on, in words for the page, its
// printout, the exported spectrum and the companion's analyze command: the samples and the
// seconds they span, and a warning when that is too little to mean a wave height. A stretch
// under 2 minutes, or with fewer than 20 waves, gives an Hm0 and a Tp that can be off by
// far more than the sea changes (with 20 waves the height is still uncertain by about 15 %).
// The figures themselves are left as computed.

#include "analysis/codec/WaveStatistics.h"

#include <string>

namespace undarix::analysis::codec {

inline constexpr double kLeastAnalysisSeconds = 120.0;
inline constexpr int kLeastAnalysisWaves = 20;

// "21 samples, 0.7 s" (a point before the decimal whatever the locale).
[[nodiscard]] std::string AnalysedText(int count, double rate);

// Empty when the stretch is long enough; else the warning, e.g. "Too short for a wave
// height: 0.7 s and no whole wave; at least 2 minutes and 20 waves are wanted".
[[nodiscard]] std::string ShortStretchWarning(int count, double rate,
                                              const ZeroCrossingWaves& waves);

} // namespace undarix::analysis::codec
