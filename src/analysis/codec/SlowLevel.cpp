#include "analysis/codec/SlowLevel.h"

#include <algorithm>
#include <cmath>

namespace undarix::analysis::codec {
namespace {

// The least-squares fit over the samples that came only: the basis 1, t, t^2 - c is no longer
// orthogonal over them, so the normal equations are solved (in t scaled to -1 .. 1, which
// keeps them well conditioned).
// False when too few came to fit it.
bool FitOverSamplesThatCame(const double* samples, int count, bool parabola,
                            const unsigned char* filled, SlowLevel& level) {
    const double scale = std::max(1.0, level.middle);
    const double cScaled = level.c / (scale * scale);
    const int terms = parabola ? 3 : 2;
    double normal[3][4] = {};
    for (int i = 0; i < count; ++i) {
        if (filled[i]) continue;
        const double u = (i - level.middle) / scale;
        const double basis[3] = {1.0, u, u * u - cScaled};
        for (int j = 0; j < terms; ++j) {
            for (int k = 0; k < terms; ++k)
                normal[j][k] += basis[j] * basis[k];
            normal[j][3] += basis[j] * samples[i];
        }
    }
    // Gaussian elimination with partial pivoting.
    for (int column = 0; column < terms; ++column) {
        int pivot = column;
        for (int row = column + 1; row < terms; ++row)
            if (std::abs(normal[row][column]) > std::abs(normal[pivot][column])) pivot = row;
        std::swap(normal[column], normal[pivot]);
        if (!(std::abs(normal[column][column]) > 1e-9)) return false;
        for (int row = column + 1; row < terms; ++row) {
            const double factor = normal[row][column] / normal[column][column];
            for (int k = column; k < 4; ++k)
                normal[row][k] -= factor * normal[column][k];
        }
    }
    double a[3] = {};
    for (int row = terms - 1; row >= 0; --row) {
        double rest = normal[row][3];
        for (int k = row + 1; k < terms; ++k)
            rest -= normal[row][k] * a[k];
        a[row] = rest / normal[row][row];
    }
    level.a0 = level.mean = a[0];
    const double a1 = a[1] / scale;
    level.change = a1 * (count - 1.0);
    if (parabola) {
        level.a1 = a1;
        level.a2 = a[2] / (scale * scale);
    }
    return true;
}

} // namespace

SlowLevel FitSlowLevel(const double* samples, int count, bool parabola,
                       const unsigned char* filled) {
    SlowLevel level;
    if (count < 1) return level;
    // Polynomials in t = i - (n - 1) / 2 that are orthogonal over the points: 1, t and
    // t^2 - c with c the mean of t^2, so each coefficient is a ratio of two sums.
    const double n = count;
    level.middle = (n - 1.0) / 2.0;
    level.c = (n * n - 1.0) / 12.0;
    if (filled && std::any_of(filled, filled + count, [](unsigned char f) { return f != 0; }) &&
        FitOverSamplesThatCame(samples, count, parabola, filled, level))
        return level;
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
