#include "analysis/codec/BandLimit.h"

#include "analysis/codec/PowerSpectrum.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
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
// length repeats from one record to the next.
struct BandPlans {
    int length = 0;
    double* real = nullptr;
    fftw_complex* spectrum = nullptr;
    fftw_plan forward = nullptr;
    fftw_plan backward = nullptr;
    std::mutex mutex;

    ~BandPlans() { Release(); }

    void Release() {
        if (forward) fftw_destroy_plan(forward);
        if (backward) fftw_destroy_plan(backward);
        fftw_free(real);
        fftw_free(spectrum);
        forward = backward = nullptr;
        real = nullptr;
        spectrum = nullptr;
        length = 0;
    }

    bool For(int wanted) {
        if (length == wanted) return true;
        const std::lock_guard planner(FftwPlannerMutex());
        Release();
        real = fftw_alloc_real(std::size_t(wanted));
        spectrum = fftw_alloc_complex(std::size_t(wanted / 2 + 1));
        if (!real || !spectrum) return false;
        forward = fftw_plan_dft_r2c_1d(wanted, real, spectrum, FFTW_ESTIMATE);
        backward = fftw_plan_dft_c2r_1d(wanted, spectrum, real, FFTW_ESTIMATE);
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

int LimitAbove(double* samples, int count, double rate, double topHz) {
    if (count < 2) return kTooFewSamples;
    if (!(rate > 0.0)) return kBadSampleInterval;
    if (topHz >= rate / 2.0) return kAnalysisOk; // nothing above it
    BandPlans& plans = Plans();
    const std::lock_guard lock(plans.mutex);
    const int length = QuickLength(count);
    if (!plans.For(length)) return kOutOfMemory;
    const double first = samples[0], step = (samples[count - 1] - first) / (count - 1);
    for (int i = 0; i < count; ++i)
        plans.real[i] = samples[i] - (first + step * i);
    std::fill(plans.real + count, plans.real + length, 0.0);
    fftw_execute(plans.forward);
    const int top = int(std::min(double(length / 2 + 1), std::floor(topHz * length / rate) + 1));
    for (int k = std::max(0, top); k <= length / 2; ++k)
        plans.spectrum[k][0] = plans.spectrum[k][1] = 0.0;
    fftw_execute(plans.backward);
    const double scale = 1.0 / length;
    for (int i = 0; i < count; ++i)
        samples[i] = plans.real[i] * scale + (first + step * i);
    return kAnalysisOk;
}

} // namespace undarix::analysis::codec
