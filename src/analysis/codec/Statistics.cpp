#include "analysis/codec/Statistics.h"

#include <cmath>

namespace undarix::analysis::codec {

int StdDev(const double* samples, int count, double* mean, double* stdDev) {
    if (count < 1) return kTooFewSamples;
    double sum = 0.0;
    for (int i = 0; i < count; ++i)
        sum += samples[i];
    const double average = sum / count;
    double squares = 0.0;
    for (int i = 0; i < count; ++i) {
        const double deviation = samples[i] - average;
        squares += deviation * deviation;
    }
    *mean = average;
    *stdDev = std::sqrt(squares / count);
    return kAnalysisOk;
}

} // namespace undarix::analysis::codec
