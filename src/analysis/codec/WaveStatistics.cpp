#include "analysis/codec/WaveStatistics.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace undarix::analysis::codec {
namespace {

// Calls wave(height, start, end) for each wave in order, start and end being the crossings in
// fractional points; a wave with a point marked in `unseen` (when given) is passed over.
// Returns the number of crossings.
template <class Wave>
int ForEachWave(const double* series, int count, double level, const unsigned char* unseen,
                Wave&& wave) {
    int crossings = 0;
    double highest = 0.0, lowest = 0.0, previousCrossing = 0.0;
    bool touchesUnseen = false;
    for (int i = 0; i + 1 < count; ++i) {
        const double here = series[i] - level, next = series[i + 1] - level;
        const bool pointsUnseen = unseen && (unseen[i] || unseen[i + 1]);
        touchesUnseen = touchesUnseen || pointsUnseen;
        if (crossings > 0) {
            highest = std::max(highest, here);
            lowest = std::min(lowest, here);
        }
        if (here >= 0.0 && next < 0.0) {
            const double crossing = i + here / (here - next);
            if (crossings > 0 && !touchesUnseen) wave(highest - lowest, previousCrossing, crossing);
            ++crossings;
            previousCrossing = crossing;
            highest = lowest = next;
            touchesUnseen = pointsUnseen; // the crossing's points begin the next wave too
        }
    }
    return crossings;
}

} // namespace

SpectralPeriods MomentPeriods(const double* power, int first, int end, double df, int peak,
                              double peakOffset) {
    SpectralPeriods periods;
    double mMinus1 = 0.0, m0 = 0.0, m1 = 0.0, m2 = 0.0;
    for (int k = first; k < end; ++k) {
        const double f = k * df;
        mMinus1 += power[k] / f;
        m0 += power[k];
        m1 += f * power[k];
        m2 += f * f * power[k];
    }
    if (!(m0 > 0.0) || !(power[peak] > 0.0)) return periods;
    periods.available = true;
    periods.tp = 1.0 / ((peak + peakOffset) * df);
    periods.tm01 = m0 / m1;
    periods.tm02 = std::sqrt(m0 / m2);
    periods.tmm10 = mMinus1 / m0;
    periods.m0 = m0;
    // Rounding can take a single line's ratio a hair below 1.
    periods.bandwidth = std::sqrt(std::max(0.0, m0 * m2 / (m1 * m1) - 1.0));
    return periods;
}

SpectralPeriods SpectralWavePeriods(const double* power, int count, double df) {
    if (count < 2 || !(df > 0.0)) return {};
    int peak = 1;
    for (int k = 1; k < count; ++k)
        if (power[k] > power[peak]) peak = k;
    return MomentPeriods(power, 1, count, df, peak);
}

ZeroCrossingWaves ZeroDownCrossingWaves(const double* series, int count, double level,
                                        double* scratch, int scratchSize, double sampleInterval,
                                        const unsigned char* unseen) {
    ZeroCrossingWaves result;
    double firstCrossing = 0.0, lastCrossing = 0.0, lengthCounted = 0.0;
    int counted = 0;
    // Crossings are at least two points apart, so there are fewer than count / 2 waves; the
    // check only guards a caller's short scratch.
    const int crossings =
        ForEachWave(series, count, level, unseen, [&](double height, double start, double end) {
            if (result.waves == 0) firstCrossing = start;
            lastCrossing = end;
            lengthCounted += end - start;
            ++counted;
            if (result.waves < scratchSize) scratch[result.waves++] = height;
        });
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
    // Waves passed over leave holes between the first crossing and the last.
    result.tz = counted == crossings - 1
                    ? (lastCrossing - firstCrossing) / result.waves * sampleInterval
                    : lengthCounted / counted * sampleInterval;

    // The periods of the waves just chosen: a second walk finds them again in order (the same
    // arithmetic gives the same heights); of waves equal to the lowest chosen height, the
    // earliest make up the third.
    const double threshold = scratch[third - 1];
    int equalsWanted = 0;
    for (int i = 0; i < third; ++i)
        if (scratch[i] == threshold) ++equalsWanted;
    double periodSum = 0.0;
    bool maxFound = false;
    int seen = 0;
    ForEachWave(series, count, level, unseen, [&](double height, double start, double end) {
        if (seen++ >= result.waves) return;
        const double period = (end - start) * sampleInterval;
        if (height > threshold || (height == threshold && equalsWanted-- > 0)) periodSum += period;
        if (!maxFound && height == hmax) {
            result.tmax = period;
            maxFound = true;
        }
    });
    result.t13 = periodSum / third;
    return result;
}

} // namespace undarix::analysis::codec
