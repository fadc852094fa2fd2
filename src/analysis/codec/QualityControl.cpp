#include "analysis/codec/QualityControl.h"

#include <algorithm>
#include <cmath>

namespace undarix::analysis::codec {
namespace {

void CountGaps(const float* values, int n, QcResult& result) {
    int run = 0;
    for (int i = 0; i < n; ++i) {
        if (std::isnan(values[i])) {
            result.longestGap = std::max(result.longestGap, ++run);
        } else {
            run = 0;
            ++result.present;
        }
    }
    result.missing = n - result.present;
}

// Runs of equal values with no gap between them.
void CountFlatRuns(const float* values, int n, int runLength, QcResult& result) {
    int run = 0;
    auto endRun = [&] {
        if (run >= runLength) {
            result.flatSamples += run;
            result.longestFlat = std::max(result.longestFlat, run);
        }
    };
    for (int i = 0; i < n; ++i) {
        if (std::isnan(values[i])) {
            endRun();
            run = 0;
        } else if (run > 0 && values[i] == values[i - 1]) {
            ++run;
        } else {
            endRun();
            run = 1;
        }
    }
    endRun();
}

int RemoveOutOfRange(double* series, int n, double low, double high) {
    int removed = 0;
    for (int i = 0; i < n; ++i)
        if (series[i] < low || series[i] > high) {
            series[i] = NAN;
            ++removed;
        }
    return removed;
}

// Mean and population standard deviation of the good samples; false with none.
bool GoodMoments(const double* series, int n, double& mean, double& deviation) {
    double sum = 0.0;
    int count = 0;
    for (int i = 0; i < n; ++i)
        if (!std::isnan(series[i])) {
            sum += series[i];
            ++count;
        }
    if (count == 0) return false;
    mean = sum / count;
    double squares = 0.0;
    for (int i = 0; i < n; ++i)
        if (!std::isnan(series[i])) squares += (series[i] - mean) * (series[i] - mean);
    deviation = std::sqrt(squares / count);
    return true;
}

int RemoveSpikes(double* series, int n, double deviations) {
    int removed = 0;
    for (int pass = 0; pass < kMaxSpikePasses; ++pass) {
        double mean = 0.0, deviation = 0.0;
        if (!GoodMoments(series, n, mean, deviation) || !(deviation > 0.0)) break;
        const double limit = deviations * deviation;
        int found = 0;
        for (int i = 0; i < n; ++i)
            if (std::abs(series[i] - mean) > limit) {
                series[i] = NAN;
                ++found;
            }
        removed += found;
        if (found == 0) break;
    }
    return removed;
}

double HalfMean(const double* series, int from, int to, bool& any) {
    double sum = 0.0;
    int count = 0;
    for (int i = from; i < to; ++i)
        if (!std::isnan(series[i])) {
            sum += series[i];
            ++count;
        }
    any = count > 0;
    return any ? sum / count : 0.0;
}

// Fills every gap between good samples with a straight line and moves the span from the
// first to the last good sample to the front. Returns its length.
int FillAndTrim(double* series, int n) {
    int first = 0;
    while (first < n && std::isnan(series[first]))
        ++first;
    if (first == n) return 0;
    int last = n - 1;
    while (std::isnan(series[last]))
        --last;
    int previous = first;
    for (int i = first + 1; i <= last; ++i) {
        if (std::isnan(series[i])) continue;
        const double step = (series[i] - series[previous]) / (i - previous);
        for (int j = previous + 1; j < i; ++j)
            series[j] = series[previous] + step * (j - previous);
        previous = i;
    }
    std::copy(series + first, series + last + 1, series);
    return last - first + 1;
}

int ShareFlag(int count, int present, double failShare) {
    if (count == 0) return kQcPass;
    return count > failShare * present ? kQcFail : kQcSuspect;
}

} // namespace

const char* QcFlagName(int flag) {
    switch (flag) {
    case kQcPass: return "pass";
    case kQcSuspect: return "suspect";
    default: return "fail";
    }
}

QcResult RunQualityControl(const float* values, int expected, int rate, const QcSettings& settings,
                           double* series) {
    QcResult result;
    const int n = std::max(0, expected);
    result.expected = n;
    CountGaps(values, n, result);
    const int runLength = std::max(2, int(std::lround(settings.flatSeconds * rate)));
    CountFlatRuns(values, n, runLength, result);

    for (int i = 0; i < n; ++i)
        series[i] = values[i];
    result.outOfRange = RemoveOutOfRange(series, n, settings.rangeLow, settings.rangeHigh);
    result.spikes = RemoveSpikes(series, n, settings.spikeDeviations);
    bool firstAny = false, secondAny = false;
    const double firstHalf = HalfMean(series, 0, n / 2, firstAny);
    const double secondHalf = HalfMean(series, n / 2, n, secondAny);
    if (firstAny && secondAny) result.meanShift = secondHalf - firstHalf;
    result.length = FillAndTrim(series, n);

    const double present = result.present;
    if (present < settings.minPresentPercent / 100.0 * n)
        result.gapFlag = kQcFail;
    else if (result.missing > 0)
        result.gapFlag = kQcSuspect;
    result.rangeFlag = ShareFlag(result.outOfRange, result.present, kFailShareOutOfRange);
    result.flatFlag = ShareFlag(result.flatSamples, result.present, kFailShareFlat);
    if (result.spikes > kFailShareSpikes * present)
        result.spikeFlag = kQcFail;
    else if (result.spikes > kPassShareSpikes * present)
        result.spikeFlag = kQcSuspect;
    if (std::abs(result.meanShift) > settings.meanShiftLimit) result.shiftFlag = kQcSuspect;
    result.flag = std::max(
        {result.gapFlag, result.rangeFlag, result.flatFlag, result.spikeFlag, result.shiftFlag});
    return result;
}

} // namespace undarix::analysis::codec
