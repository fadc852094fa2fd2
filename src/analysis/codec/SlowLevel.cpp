#include "analysis/codec/SlowLevel.h"

namespace undarix::analysis::codec {

SlowLevel TakeOffSlowLevel(double* samples, int count, bool remove) {
    SlowLevel level;
    if (count < 1) return level;
    // Polynomials in t = i - (n - 1) / 2 that are orthogonal over the points: 1, t and
    // t^2 - c with c the mean of t^2, so each coefficient is a ratio of two sums.
    const double n = count;
    const double middle = (n - 1.0) / 2.0;
    const double c = (n * n - 1.0) / 12.0;
    double sum = 0.0, sumT = 0.0, sumQ = 0.0;
    for (int i = 0; i < count; ++i) {
        const double t = i - middle;
        sum += samples[i];
        sumT += t * samples[i];
        sumQ += (t * t - c) * samples[i];
    }
    const double normT = n * c;                                              // sum of t^2
    const double normQ = n * (n * n - 1.0) * (n * n - 4.0) / 180.0;          // of (t^2 - c)^2
    const double a0 = sum / n;
    const double a1 = normT > 0.0 ? sumT / normT : 0.0;
    const double a2 = normQ > 0.0 ? sumQ / normQ : 0.0;
    level.mean = a0;
    level.change = a1 * (n - 1.0); // the t^2 term is the same at both ends
    if (!remove) {
        for (int i = 0; i < count; ++i)
            samples[i] -= a0;
        return level;
    }
    for (int i = 0; i < count; ++i) {
        const double t = i - middle;
        samples[i] -= a0 + a1 * t + a2 * (t * t - c);
    }
    return level;
}

} // namespace undarix::analysis::codec
