#include "analysis/codec/WelchSpectrum.h"

#include "analysis/codec/PowerSpectrum.h"
#include "analysis/codec/Windows.h"

#include <algorithm>

namespace undarix::analysis::codec {
namespace {

// Copies the points into `x` without their least-squares straight line (a tide or drift
// inside a segment would otherwise leak into its lowest bins), weighted by the window: the
// sums are taken as the points are copied, the line and the window in one pass after.
void DetrendedAndWindowed(const double* points, int n, const double* weights, double* x) {
    const double middle = (n - 1) / 2.0;
    double sum = 0.0, weighted = 0.0, squares = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = i - middle;
        x[i] = points[i];
        sum += points[i];
        weighted += t * points[i];
        squares += t * t;
    }
    const double mean = sum / n;
    const double slope = squares > 0.0 ? weighted / squares : 0.0;
    for (int i = 0; i < n; ++i)
        x[i] = (x[i] - (mean + slope * (i - middle))) * weights[i];
}

// 2K / (1 + 2 (K - 1) / K rho^2) for the correlation rho of the window with itself shifted by
// half its length (scaling the window leaves rho as it is).
double DegreesOfFreedom(int segments, const std::vector<double>& w) {
    const std::size_t length = w.size(), shift = length / 2;
    double overlap = 0.0, energy = 0.0;
    for (std::size_t i = 0; i < length; ++i) {
        energy += w[i] * w[i];
        if (i + shift < length) overlap += w[i] * w[i + shift];
    }
    const double rho = energy > 0.0 ? overlap / energy : 0.0;
    const double k = segments;
    return 2.0 * k / (1.0 + 2.0 * (k - 1.0) / k * rho * rho);
}

// The window's weights are what ScaledWindowEx makes of a segment of ones.
int PrepareWindow(SegmentWindow& window, int length) {
    if (window.length == length) return kAnalysisOk;
    window.length = 0;
    window.weights.assign(std::size_t(length), 1.0);
    const int status =
        ScaledWindowEx(window.weights.data(), length, kHanningWindow, 0.0, &window.constants);
    if (status == kAnalysisOk) window.length = length;
    return status;
}

} // namespace

double WelchDegreesOfFreedom(int segments, int length) {
    if (segments < 1 || length < 2) return 0.0;
    std::vector<double> weights(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i)
        weights[std::size_t(i)] = WindowValue(kHanningWindow, i, length);
    return DegreesOfFreedom(segments, weights);
}

WelchResult WelchPowerSpectrum(const double* samples, int count, int segmentLength,
                               double sampleInterval, SegmentWindow& window, double* work,
                               double* segmentPower, double* averaged) {
    WelchResult result;
    const int length = std::min(segmentLength, count);
    if (length < 2) {
        result.status = kTooFewSamples;
        return result;
    }
    result.status = PrepareWindow(window, length);
    if (result.status != kAnalysisOk) return result;
    const int hop = std::max(1, length / 2);
    const int bins = length / 2;
    std::fill_n(averaged, bins, 0.0);
    int segments = 0;
    for (int start = 0; start + length <= count; start += hop) {
        DetrendedAndWindowed(samples + start, length, window.weights.data(), work);
        result.status = AutoPowerSpectrum(work, length, sampleInterval, segmentPower, &result.df);
        if (result.status != kAnalysisOk) return result;
        for (int k = 0; k < bins; ++k)
            averaged[k] += segmentPower[k];
        ++segments;
    }
    // The window, scaled to keep a sine's amplitude, raises the power of noise by its ENBW.
    const double scale = 1.0 / (segments * window.constants.enbw);
    for (int k = 0; k < bins; ++k)
        averaged[k] *= scale;
    result.segmentLength = length;
    result.bins = bins;
    result.segments = segments;
    result.degreesOfFreedom = DegreesOfFreedom(segments, window.weights);
    return result;
}

} // namespace undarix::analysis::codec
