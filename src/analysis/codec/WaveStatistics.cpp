#include "analysis/codec/WaveStatistics.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace undarix::analysis::codec {

SpectralPeriods SpectralWavePeriods(const double* power, int count, double df) {
    SpectralPeriods periods;
    if (count < 2 || !(df > 0.0)) return periods;
    double m0 = 0.0, m1 = 0.0, m2 = 0.0;
    int peak = 1;
    for (int k = 1; k < count; ++k) {
        const double f = k * df;
        m0 += power[k];
        m1 += f * power[k];
        m2 += f * f * power[k];
        if (power[k] > power[peak]) peak = k;
    }
    if (!(m0 > 0.0) || !(power[peak] > 0.0)) return periods;
    periods.available = true;
    periods.tp = 1.0 / (peak * df);
    periods.tm01 = m0 / m1;
    periods.tm02 = std::sqrt(m0 / m2);
    return periods;
}

ZeroCrossingWaves ZeroDownCrossingWaves(const double* series, int count, double level,
                                        double* scratch, int scratchSize) {
    ZeroCrossingWaves result;
    int crossings = 0;
    double highest = 0.0, lowest = 0.0;
    for (int i = 0; i + 1 < count; ++i) {
        const double here = series[i] - level, next = series[i + 1] - level;
        if (crossings > 0) {
            highest = std::max(highest, here);
            lowest = std::min(lowest, here);
        }
        if (here >= 0.0 && next < 0.0) {
            // Crossings are at least two points apart, so there are fewer than count / 2
            // waves; the check only guards a caller's short scratch.
            if (crossings > 0 && result.waves < scratchSize)
                scratch[result.waves++] = highest - lowest;
            ++crossings;
            highest = lowest = next;
        }
    }
    if (crossings < 2 || result.waves == 0) {
        result.waves = 0;
        return result;
    }
    result.available = true;
    const int third = std::max(1, result.waves / 3);
    std::nth_element(scratch, scratch + (third - 1), scratch + result.waves,
                     std::greater<double>());
    double sum = 0.0, hmax = 0.0;
    for (int i = 0; i < third; ++i) {
        sum += scratch[i];
        hmax = std::max(hmax, scratch[i]);
    }
    result.h13 = sum / third;
    result.hmax = hmax;
    return result;
}

} // namespace undarix::analysis::codec
