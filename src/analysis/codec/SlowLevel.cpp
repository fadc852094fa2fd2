#include "analysis/codec/SlowLevel.h"

namespace undarix::analysis::codec {

SlowLevel FitSlowLevel(const double* samples, int count, bool parabola) {
    SlowLevel level;
    if (count < 1) return level;
    // Polynomials in t = i - (n - 1) / 2 that are orthogonal over the points: 1, t and
    // t^2 - c with c the mean of t^2, so each coefficient is a ratio of two sums.
    const double n = count;
    level.middle = (n - 1.0) / 2.0;
    level.c = (n * n - 1.0) / 12.0;
    // Two sums of each kind, even and odd points, so that the additions overlap.
    double sum[2] = {}, sumT[2] = {}, sumQ[2] = {};
    int i = 0;
    for (; i + 1 < count; i += 2)
        for (int k = 0; k < 2; ++k) {
            const double t = i + k - level.middle, x = samples[i + k];
            sum[k] += x;
            sumT[k] += t * x;
            sumQ[k] += (t * t - level.c) * x;
        }
    if (i < count) {
        const double t = i - level.middle;
        sum[0] += samples[i];
        sumT[0] += t * samples[i];
        sumQ[0] += (t * t - level.c) * samples[i];
    }
    const double normT = n * level.c;                                // sum of t^2
    const double normQ = n * (n * n - 1.0) * (n * n - 4.0) / 180.0; // of (t^2 - c)^2
    level.a0 = (sum[0] + sum[1]) / n;
    const double a1 = normT > 0.0 ? (sumT[0] + sumT[1]) / normT : 0.0;
    level.mean = level.a0;
    level.change = a1 * (n - 1.0); // the t^2 term is the same at both ends
    if (parabola) {
        level.a1 = a1;
        level.a2 = normQ > 0.0 ? (sumQ[0] + sumQ[1]) / normQ : 0.0;
    }
    return level;
}

void TakeOffSlowLevel(double* samples, int count, const SlowLevel& level) {
    for (int i = 0; i < count; ++i)
        samples[i] -= level.At(i);
}

} // namespace undarix::analysis::codec
