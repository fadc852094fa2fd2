#include "analysis/codec/PowerSpectrum.h"

#include <fftw3.h>

#include <array>
#include <cstring>
#include <mutex>

namespace undarix::analysis::codec {
namespace {

// A plan with its own aligned buffers: the input is copied in, so the caller's array is left
// alone and any alignment of it will do.
struct CachedPlan {
    int count = 0;
    fftw_plan plan = nullptr;
    double* input = nullptr;
    fftw_complex* output = nullptr;
    unsigned long long lastUse = 0;

    void Release() {
        if (plan) fftw_destroy_plan(plan);
        fftw_free(input);
        fftw_free(output);
        *this = CachedPlan{};
    }
};

// The few lengths last used; the analysis of one stretch repeats one length, and a new cursor
// stretch replaces the least recently used.
class PlanCache {
public:
    ~PlanCache() {
        for (CachedPlan& entry : entries_)
            entry.Release();
    }

    CachedPlan& For(int count) {
        ++clock_;
        CachedPlan* oldest = &entries_[0];
        for (CachedPlan& entry : entries_) {
            if (entry.count == count) {
                entry.lastUse = clock_;
                return entry;
            }
            if (entry.lastUse < oldest->lastUse) oldest = &entry;
        }
        oldest->Release();
        oldest->count = count;
        oldest->input = fftw_alloc_real(count);
        oldest->output = fftw_alloc_complex(count / 2 + 1);
        // Estimated, not measured: measuring an odd length can take far longer than the
        // transform itself, and every cursor stretch may have a new length.
        oldest->plan = fftw_plan_dft_r2c_1d(count, oldest->input, oldest->output, FFTW_ESTIMATE);
        oldest->lastUse = clock_;
        ++plansMade_;
        return *oldest;
    }

    [[nodiscard]] long long PlansMade() const { return plansMade_; }
    std::mutex mutex; // the FFTW planner is not thread-safe

private:
    std::array<CachedPlan, 4> entries_{};
    unsigned long long clock_ = 0;
    long long plansMade_ = 0;
};

PlanCache& Cache() {
    static PlanCache cache;
    return cache;
}

} // namespace

int AutoPowerSpectrum(const double* samples, int count, double sampleInterval, double* power,
                      double* df) {
    if (count < 2) return kTooFewSamples;
    if (!(sampleInterval > 0.0)) return kBadSampleInterval;
    PlanCache& cache = Cache();
    const std::lock_guard lock(cache.mutex);
    CachedPlan& entry = cache.For(count);
    std::memcpy(entry.input, samples, sizeof(double) * count);
    fftw_execute(entry.plan);

    const double scale = 1.0 / (double(count) * double(count));
    const int bins = count / 2;
    power[0] =
        (entry.output[0][0] * entry.output[0][0] + entry.output[0][1] * entry.output[0][1]) * scale;
    for (int k = 1; k < bins; ++k) {
        const double re = entry.output[k][0], im = entry.output[k][1];
        power[k] = 2.0 * (re * re + im * im) * scale;
    }
    *df = 1.0 / (count * sampleInterval);
    return kAnalysisOk;
}

std::mutex& FftwPlannerMutex() {
    return Cache().mutex;
}

long long FftPlansMade() {
    PlanCache& cache = Cache();
    const std::lock_guard lock(cache.mutex);
    return cache.PlansMade();
}

} // namespace undarix::analysis::codec
