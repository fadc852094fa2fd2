#include "analysis/codec/Windows.h"

#include <cmath>
#include <numbers>

namespace undarix::analysis::codec {
namespace {

struct CosineSum {
    int terms;
    double a[5];
};

// Coefficients of each window as a sum of cosines (alternating signs applied in the sum).
constexpr CosineSum kCosineSums[kWindowTypeCount] = {
    {1, {1.0}},                                                           // uniform
    {2, {0.5, 0.5}},                                                      // Hanning
    {2, {0.54, 0.46}},                                                    // Hamming
    {3, {0.42323, 0.49755, 0.07922}},                                     // Blackman-Harris, 3-term
    {3, {7938.0 / 18608.0, 9240.0 / 18608.0, 1430.0 / 18608.0}},          // exact Blackman
    {3, {0.42, 0.50, 0.08}},                                              // Blackman
    {5, {0.21557895, 0.41663158, 0.277263158, 0.083578947, 0.006947368}}, // flat top
    {4, {0.35875, 0.48829, 0.14128, 0.01168}},                            // Blackman-Harris, 4-term
};

// cos(k theta) for k >= 2 by the Chebyshev recurrence, so one cosine per point serves every
// term.
double Evaluate(const CosineSum& window, double theta) {
    const double c1 = std::cos(theta);
    double previous = 1.0, current = c1;
    double value = window.a[0];
    double sign = -1.0;
    for (int k = 1; k < window.terms; ++k) {
        value += sign * window.a[k] * current;
        const double next = 2.0 * c1 * current - previous;
        previous = current;
        current = next;
        sign = -sign;
    }
    return value;
}

} // namespace

double WindowValue(int windowType, int index, int count) {
    if (windowType < 0 || windowType >= kWindowTypeCount || count < 1) return 0.0;
    return Evaluate(kCosineSums[windowType], 2.0 * std::numbers::pi * index / count);
}

int ScaledWindowEx(double* samples, int count, int windowType, double /*windowParameter*/,
                   WindowConstants* constants) {
    if (windowType < 0 || windowType >= kWindowTypeCount) return kUnknownWindow;
    if (count < 1) return kTooFewSamples;
    if (windowType == kUniformWindow) {
        *constants = WindowConstants{1.0, 1.0};
        return kAnalysisOk;
    }
    // One point of a tapering window may be 0 or negative: no gain to scale by.
    if (count < 2) return kTooFewSamples;
    const CosineSum& window = kCosineSums[windowType];
    const double step = 2.0 * std::numbers::pi / count;
    double sum = 0.0, squares = 0.0;
    for (int i = 0; i < count; ++i) {
        const double w = Evaluate(window, step * i);
        sum += w;
        squares += w * w;
        samples[i] *= w;
    }
    const double coherentGain = sum / count;
    const double scale = 1.0 / coherentGain;
    for (int i = 0; i < count; ++i)
        samples[i] *= scale;
    constants->coherentGain = coherentGain;
    constants->enbw = count * squares / (sum * sum);
    return kAnalysisOk;
}

} // namespace undarix::analysis::codec
