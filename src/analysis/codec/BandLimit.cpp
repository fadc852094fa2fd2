#include "analysis/codec/BandLimit.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

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

// The forward and backward plans of the last length, with their buffers: an interval's
// length repeats from one record to the next. In single precision, which holds the samples
// (a float each) to a fraction of a micrometer and transforms a third faster. The single-
// precision planner is used by nothing else, so the mutex guards it too.
struct BandPlans {
    int length = 0;
    float* real = nullptr;
    fftwf_complex* spectrum = nullptr;
    fftwf_plan forward = nullptr;
    fftwf_plan backward = nullptr;
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
        length = wanted;
        return true;
    }
};

BandPlans& Plans() {
    static BandPlans plans;
    return plans;
}

} // namespace

int LimitAbove(double* samples, int count, double rate, double topHz, const SlowLevel& level) {
    if (count < 2) return kTooFewSamples;
    if (!(rate > 0.0)) return kBadSampleInterval;
    if (topHz >= rate / 2.0) { // nothing above it
        TakeOffSlowLevel(samples, count, level);
        return kAnalysisOk;
    }
    BandPlans& plans = Plans();
    const std::lock_guard lock(plans.mutex);
    const int length = QuickLength(count);
    if (!plans.For(length)) return kOutOfMemory;
    // The level and the line together are one parabola in i: a + b i + c i^2.
    const double first = samples[0] - level.At(0);
    const double step = (samples[count - 1] - level.At(count - 1) - first) / (count - 1);
    const double m = level.middle;
    const double a = level.a0 - level.a1 * m + level.a2 * (m * m - level.c) + first;
    const double b = level.a1 - 2.0 * level.a2 * m + step;
    const double c = level.a2;
    for (int i = 0; i < count; ++i) {
        const double x = i;
        plans.real[i] = float(samples[i] - (a + x * (b + x * c)));
    }
    std::fill(plans.real + count, plans.real + length, 0.0f);
    fftwf_execute(plans.forward);
    const int top = std::max(0, int(std::min(double(length / 2 + 1),
                                             std::floor(topHz * length / rate) + 1)));
    if (top <= length / 2)
        std::memset(plans.spectrum + top, 0, sizeof(fftwf_complex) * std::size_t(length / 2 + 1 - top));
    fftwf_execute(plans.backward);
    const double scale = 1.0 / length;
    for (int i = 0; i < count; ++i)
        samples[i] = plans.real[i] * scale + (first + step * i);
    return kAnalysisOk;
}

} // namespace undarix::analysis::codec
