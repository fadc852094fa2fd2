#include "analysis/codec/BandLimit.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>
#include <vector>

namespace undarix::analysis::codec {
namespace {

// The least length from `count` on whose factors are 2, 3, 5 and 7 only: the transform is
// quick there (a whole interval at the usual rates is one already).
int QuickLength(int count) {
    for (int length = std::max(2, count);; ++length) {
        int rest = length;
        for (int factor : {2, 3, 5, 7})
            while (rest % factor == 0)
                rest /= factor;
        if (rest == 1) return length;
    }
}

// The cosine transform of the series mirrored at both ends, and its inverse, for the last
// length (an interval's length repeats from one record to the next). Each is one real Fourier
// transform of the same length with the samples taken in a zigzag order and a turn of each
// coefficient (Makhoul's way), several times quicker than the library's own cosine transform.
// In single precision, which holds the samples (a float each) to a fraction of a micrometer
// and transforms a third faster. The single-precision planner is used by nothing else, so the
// mutex guards it too.
//
// The coefficients are those of the usual cosine transform of the second kind:
//   C[k] = 2 sum_n z[n] cos(pi k (2n + 1) / (2N)),  and back  z[n] = (C[0] + 2 sum_k C[k] cos(..)) / 2N.
struct BandPlans {
    int length = 0;
    float* real = nullptr;
    fftwf_complex* spectrum = nullptr;
    std::vector<float> cosines;                   // C[k]
    std::vector<float> turnCos, turnSin;          // exp(-i pi k / 2N), k = 0 .. N/2
    fftwf_plan forward = nullptr;
    fftwf_plan backward = nullptr;
    std::vector<double> slow;  // the coefficients taken off below the band
    std::mutex mutex;

    ~BandPlans() { Release(); }

    void Release() {
        if (forward) fftwf_destroy_plan(forward);
        if (backward) fftwf_destroy_plan(backward);
        fftwf_free(real);
        fftwf_free(spectrum);
        forward = backward = nullptr;
        real = nullptr;
        spectrum = nullptr;
        length = 0;
    }

    bool For(int wanted) {
        if (length == wanted) return true;
        Release();
        real = fftwf_alloc_real(std::size_t(wanted));
        spectrum = fftwf_alloc_complex(std::size_t(wanted / 2 + 1));
        if (!real || !spectrum) return false;
        forward = fftwf_plan_dft_r2c_1d(wanted, real, spectrum, FFTW_ESTIMATE);
        backward = fftwf_plan_dft_c2r_1d(wanted, spectrum, real, FFTW_ESTIMATE);
        if (!forward || !backward) {
            Release();
            return false;
        }
        cosines.assign(std::size_t(wanted), 0.0f);
        turnCos.resize(std::size_t(wanted / 2 + 1));
        turnSin.resize(std::size_t(wanted / 2 + 1));
        for (int k = 0; k <= wanted / 2; ++k) {
            const double angle = std::numbers::pi * k / (2.0 * wanted);
            turnCos[std::size_t(k)] = float(std::cos(angle));
            turnSin[std::size_t(k)] = float(-std::sin(angle));
        }
        length = wanted;
        return true;
    }

    // Where sample i of z goes before the Fourier transform: the even ones to the front in
    // order, the odd ones to the back in reverse.
    [[nodiscard]] int Zigzag(int i) const { return i % 2 == 0 ? i / 2 : length - 1 - i / 2; }

    // C[0 .. top] from z, which the caller has put in `real` in the zigzag order (the rest of
    // C is not wanted).
    void Forward(int top) {
        const int n = length;
        fftwf_execute(forward);
        const auto turned = [&](int k, float& re, float& im) {
            const float a = spectrum[k][0], b = spectrum[k][1];
            const float c = turnCos[std::size_t(k)], s = turnSin[std::size_t(k)];
            re = c * a - s * b;
            im = c * b + s * a;
        };
        for (int k = 0; k <= std::min(top, n / 2); ++k) {
            float re, im;
            turned(k, re, im);
            cosines[std::size_t(k)] = 2.0f * re;
        }
        for (int k = std::max(1, n - top); 2 * k < n; ++k) { // C[n - k], above the middle
            float re, im;
            turned(k, re, im);
            cosines[std::size_t(n - k)] = -2.0f * im;
        }
    }

    // z from C[0 .. top] (the rest nought), into `real` in the zigzag order, times N.
    void Backward(int top) {
        const int n = length;
        const auto cosine = [&](int k) { return k <= top && k < n ? cosines[std::size_t(k)] : 0.0f; };
        // (C[k] - i C[N - k]) / 2 turned back, C[N] being nought.
        for (int k = 0; k <= n / 2; ++k) {
            if (k > top && n - k > top) {
                spectrum[k][0] = spectrum[k][1] = 0.0f;
                continue;
            }
            const float here = 0.5f * cosine(k);
            const float mirrored = k == 0 ? 0.0f : -0.5f * cosine(n - k);
            const float c = turnCos[std::size_t(k)], s = -turnSin[std::size_t(k)];
            spectrum[k][0] = c * here - s * mirrored;
            spectrum[k][1] = c * mirrored + s * here;
        }
        fftwf_execute(backward);
    }
};

BandPlans& Plans() {
    static BandPlans plans;
    return plans;
}

// The slow part taken off, sum of the cosines `slow` (a cosine transform's first
// coefficients), at the fractional point `at` of a series of quick length `length`.
double SlowPartAt(const std::vector<double>& slow, double at, int length) {
    const double angle = std::numbers::pi * (at + 0.5) / length;
    const double c1 = std::cos(angle), s1 = std::sin(angle);
    double c = 1.0, s = 0.0, sum = slow[0];
    for (std::size_t k = 1; k < slow.size(); ++k) {
        const double next = c * c1 - s * s1;
        s = s * c1 + c * s1;
        c = next;
        sum += 2.0 * slow[k] * c;
    }
    return sum / (2.0 * length);
}

// Within a minute or so of either end the slow part cannot be told from the end of a wave
// (BandLimit.h): the slow part taken off is given back there, fading out as half a cosine over
// 6 / bottom seconds. Computed every two seconds (it changes little in two: its periods are
// above 25 s) and drawn straight between.
void SlowPartNearTheEnds(SlowPartAtEnds& ends, int count, double rate, double bottomHz,
                         int length, const std::vector<double>& slow) {
    const int fadeSamples = std::min(count / 2, int(std::lround(6.0 / bottomHz * rate)));
    ends.samples = std::max(0, fadeSamples);
    ends.start.assign(std::size_t(ends.samples), 0.0);
    ends.end.assign(std::size_t(ends.samples), 0.0);
    if (fadeSamples < 1) return;
    const int gridStep = std::max(1, int(std::lround(2.0 * rate)));
    const auto keptAt = [&](int d) {
        return 0.5 + 0.5 * std::cos(std::numbers::pi * std::min(d, fadeSamples) / fadeSamples);
    };
    for (const bool atStart : {true, false}) {
        std::vector<double>& part = atStart ? ends.start : ends.end;
        // Points counted from the end in question.
        const auto given = [&](int d) {
            return keptAt(d) * SlowPartAt(slow, atStart ? double(d) : double(count - 1 - d), length);
        };
        double before = given(0);
        for (int from = 0; from < fadeSamples; from += gridStep) {
            const int to = std::min(from + gridStep, fadeSamples);
            const double after = given(to);
            for (int d = from; d < to; ++d)
                part[std::size_t(d)] = before + (after - before) * (d - from) / (to - from);
            before = after;
        }
    }
}

} // namespace

void AddSlowPartAtEnds(double* samples, int count, const SlowPartAtEnds& ends) {
    for (int d = 0; d < std::min(ends.samples, count); ++d) {
        samples[d] += ends.start[std::size_t(d)];
        samples[count - 1 - d] += ends.end[std::size_t(d)];
    }
}

int LimitToBand(double* samples, int count, double rate, double bottomHz, double topHz,
                const SlowLevel& level, SlowPartAtEnds* ends) {
    SlowPartAtEnds local;
    SlowPartAtEnds& slowAtEnds = ends ? *ends : local;
    slowAtEnds.samples = 0;
    if (count < 2) return kTooFewSamples;
    if (!(rate > 0.0)) return kBadSampleInterval;
    if (!(bottomHz > 0.0) && topHz >= rate / 2.0) { // nothing outside the band
        TakeOffSlowLevel(samples, count, level);
        return kAnalysisOk;
    }
    BandPlans& plans = Plans();
    const std::lock_guard lock(plans.mutex);
    const int length = std::min(QuickLength(count), 2 * count);
    if (!plans.For(length)) return kOutOfMemory;
    for (int m = 0; 2 * m < count; ++m)
        plans.real[m] = float(samples[2 * m] - level.At(2 * m));
    for (int m = 0; 2 * m + 1 < count; ++m)
        plans.real[length - 1 - m] = float(samples[2 * m + 1] - level.At(2 * m + 1));
    // Up to the quick length the series goes on as its mirror image, without a step.
    for (int i = count; i < length; ++i)
        plans.real[plans.Zigzag(i)] = plans.real[plans.Zigzag(2 * count - 1 - i)];
    // Coefficient k is the frequency k rate / (2 length); those above the top are not wanted.
    const double step = rate / (2.0 * length);
    const int top = std::min(length - 1, int(std::floor(topHz / step + 1e-9)));
    plans.Forward(top);
    const double fadeFrom = bottomHz / 2.0;
    plans.slow.clear();
    for (int k = 0; k <= top && k * step < bottomHz; ++k) {
        const double f = k * step;
        const double gain =
            f <= fadeFrom ? 0.0 : 0.5 - 0.5 * std::cos(std::numbers::pi * (f - fadeFrom) / fadeFrom);
        plans.slow.push_back(plans.cosines[std::size_t(k)] * (1.0 - gain));
        plans.cosines[std::size_t(k)] = float(plans.cosines[std::size_t(k)] * gain);
    }
    plans.Backward(top);
    const float scale = 1.0f / float(length);
    for (int m = 0; 2 * m < count; ++m)
        samples[2 * m] = plans.real[m] * scale;
    for (int m = 0; 2 * m + 1 < count; ++m)
        samples[2 * m + 1] = plans.real[length - 1 - m] * scale;
    if (!plans.slow.empty()) {
        SlowPartNearTheEnds(slowAtEnds, count, rate, bottomHz, length, plans.slow);
        if (!ends) AddSlowPartAtEnds(samples, count, slowAtEnds);
    }
    return kAnalysisOk;
}

} // namespace undarix::analysis::codec
