#pragma once

// The single-sided power spectrum of a real series, on FFTW. The transform plan for a length
// is made once and kept (a few recent lengths), so repeated runs on the same stretch do not
// plan again.

#include "analysis/codec/AnalysisStatus.h"

#include <mutex>

namespace undarix::analysis::codec {

// `count / 2` values into `power` (integer division): bin 0 = |X0|^2 / N^2 and bins 1 ..
// count/2 - 1 = 2 |Xk|^2 / N^2, in the square of the samples' unit (rms), with the frequency
// step df = 1 / (count x sampleInterval). `samples` is not changed. Needs count >= 2.
int AutoPowerSpectrum(const double* samples, int count, double sampleInterval, double* power,
                      double* df);

// Held while FFTW makes or drops a plan: its planner is shared by every transform of the
// program and is not thread-safe.
[[nodiscard]] std::mutex& FftwPlannerMutex();

// How many transform plans have been made so far (for checking that lengths are not planned
// again).
[[nodiscard]] long long FftPlansMade();

} // namespace undarix::analysis::codec
