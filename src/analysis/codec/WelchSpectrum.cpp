#include "analysis/codec/WelchSpectrum.h"

#include "analysis/codec/PowerSpectrum.h"
#include "analysis/codec/Windows.h"

#include <algorithm>

namespace undarix::analysis::codec {
namespace {

// Takes the least-squares straight line off the points in place: a tide or drift inside a
// segment would otherwise leak into its lowest bins.
void RemoveTrend(double* x, int n) {
    const double middle = (n - 1) / 2.0;
    double sum = 0.0, weighted = 0.0, squares = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = i - middle;
        sum += x[i];
        weighted += t * x[i];
        squares += t * t;
    }
    const double mean = sum / n;
    const double slope = squares > 0.0 ? weighted / squares : 0.0;
    for (int i = 0; i < n; ++i)
        x[i] -= mean + slope * (i - middle);
}

} // namespace

double WelchDegreesOfFreedom(int segments, int length) {
    if (segments < 1 || length < 2) return 0.0;
    const int shift = length / 2;
    double overlap = 0.0, energy = 0.0;
    for (int i = 0; i < length; ++i) {
        const double w = WindowValue(kHanningWindow, i, length);
        energy += w * w;
        if (i + shift < length) overlap += w * WindowValue(kHanningWindow, i + shift, length);
    }
    const double rho = energy > 0.0 ? overlap / energy : 0.0;
    const double k = segments;
    return 2.0 * k / (1.0 + 2.0 * (k - 1.0) / k * rho * rho);
}

WelchResult WelchPowerSpectrum(const double* samples, int count, int segmentLength,
                               double sampleInterval, double* work, double* segmentPower,
                               double* averaged) {
    WelchResult result;
    const int length = std::min(segmentLength, count);
    if (length < 2) {
        result.status = kTooFewSamples;
        return result;
    }
    const int hop = std::max(1, length / 2);
    const int bins = length / 2;
    std::fill_n(averaged, bins, 0.0);
    WindowConstants window;
    int segments = 0;
    for (int start = 0; start + length <= count; start += hop) {
        std::copy_n(samples + start, length, work);
        RemoveTrend(work, length);
        result.status = ScaledWindowEx(work, length, kHanningWindow, 0.0, &window);
        if (result.status == kAnalysisOk)
            result.status =
                AutoPowerSpectrum(work, length, sampleInterval, segmentPower, &result.df);
        if (result.status != kAnalysisOk) return result;
        for (int k = 0; k < bins; ++k)
            averaged[k] += segmentPower[k];
        ++segments;
    }
    // The window, scaled to keep a sine's amplitude, raises the power of noise by its ENBW.
    const double scale = 1.0 / (segments * window.enbw);
    for (int k = 0; k < bins; ++k)
        averaged[k] *= scale;
    result.segmentLength = length;
    result.bins = bins;
    result.segments = segments;
    result.degreesOfFreedom = WelchDegreesOfFreedom(segments, length);
    return result;
}

} // namespace undarix::analysis::codec
