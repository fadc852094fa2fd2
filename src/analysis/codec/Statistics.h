#pragma once

// Mean and standard deviation of a series of samples.

#include "analysis/codec/AnalysisStatus.h"

namespace undarix::analysis::codec {

// The mean and the population standard deviation (the sum of squared deviations divided by
// n, not n - 1), so that 4 x the deviation is the significant wave height Hm0 = 4 sqrt(m0) of
// the same samples' unwindowed spectrum. Two passes, so a large mean does not cost precision.
int StdDev(const double* samples, int count, double* mean, double* stdDev);

} // namespace undarix::analysis::codec
