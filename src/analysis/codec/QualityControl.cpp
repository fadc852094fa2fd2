#include "analysis/codec/QualityControl.h"

#include <algorithm>
#include <cmath>

namespace undarix::analysis::codec {
namespace {

// Counts the missing samples and the runs of equal values with no gap between them, and
// copies the values to the series: one pass.
void CountGapsAndFlatRuns(const float* values, int n, int runLength, QcResult& result,
                          double* series) {
    int gap = 0, run = 0;
    auto endRun = [&] {
        if (run >= runLength) {
            result.flatSamples += run;
            result.longestFlat = std::max(result.longestFlat, run);
        }
    };
    for (int i = 0; i < n; ++i) {
        series[i] = values[i];
        if (std::isnan(values[i])) {
            result.longestGap = std::max(result.longestGap, ++gap);
            endRun();
            run = 0;
            continue;
        }
        gap = 0;
        ++result.present;
        if (run > 0 && values[i] == values[i - 1]) {
            ++run;
        } else {
            endRun();
            run = 1;
        }
    }
    endRun();
    result.missing = n - result.present;
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

// The median size of the steps between neighbouring good samples, as the standard deviation
// of normal steps (median / 0.6745); at least kSpikeScaleFloor. A few thousand steps spread
// over the interval tell it as well as all of them.
double StepScale(const double* series, int n, double* scratch) {
    const int stride = std::max(1, n / 4096);
    int count = 0;
    for (int i = 0; i + 1 < n; i += stride) {
        const double step = std::abs(series[i + 1] - series[i]);
        if (!std::isnan(step)) scratch[count++] = step;
    }
    if (count == 0) return kSpikeScaleFloor;
    std::nth_element(scratch, scratch + count / 2, scratch + count);
    return std::max(kSpikeScaleFloor, scratch[count / 2] / 0.6745);
}

// The median of the good samples of series[from .. from + kSpikeWindow); false with fewer
// than 4 of them (too few to outvote a spike).
bool WindowMedian(const double* series, int from, double& median) {
    double values[kSpikeWindow];
    int count = 0;
    for (int j = from; j < from + kSpikeWindow; ++j)
        if (!std::isnan(series[j])) values[count++] = series[j];
    if (count < 4) return false;
    std::nth_element(values, values + count / 2, values + count);
    median = values[count / 2];
    if (count % 2 == 0) median = (median + *std::max_element(values, values + count / 2)) / 2;
    return true;
}

// Whether series[i] stands out from each neighbour that is there, on the same side, by more
// than `limit`. A crest, however high and however few samples a wave has, rises and falls
// with its neighbours; a spike leaves them both behind. (Two or more spikes in a row are
// found by their jumps, below.)
bool LeavesItsNeighbours(const double* series, int n, int i, double limit) {
    const double x = series[i];
    double side = 0.0;
    for (const int j : {i - 1, i + 1}) {
        if (j < 0 || j >= n || std::isnan(series[j])) continue;
        const double step = x - series[j];
        if (std::abs(step) <= limit || step * side < 0.0) return false;
        side = step;
    }
    return true;
}

// The largest step between good neighbours among samples [from, to].
double LargestStep(const double* series, int n, int from, int to) {
    double largest = 0.0;
    for (int k = std::max(0, from); k < std::min(n - 1, to); ++k)
        if (!std::isnan(series[k]) && !std::isnan(series[k + 1]))
            largest = std::max(largest, std::abs(series[k + 1] - series[k]));
    return largest;
}

// Takes out the samples further than `deviations` step scales from the median of their
// window and from the line between their neighbours. A sample that far from the median is
// that far from at least half the good samples of its window, so from all but two of the
// others at most: from one of any three of them. Only where one of three neighbours is that
// far (or missing) is the median needed.
int RemoveSpikes(double* series, int n, int rate, double deviations, double* scratch) {
    constexpr int half = kSpikeWindow / 2;
    if (n < kSpikeWindow) return 0;
    const double limit = deviations * StepScale(series, n, scratch);
    auto near = [&](int i, int j) { return std::abs(series[i] - series[j]) <= limit; };
    int removed = 0;
    for (int i = 0; i < n; ++i) {
        const bool edge = i < half || i >= n - half;
        if (!edge && near(i, i - 1) && near(i, i + 1) && near(i, i + 2)) continue;
        if (std::isnan(series[i])) continue;
        const int from = std::clamp(i - half, 0, n - kSpikeWindow);
        double median = 0.0;
        if (!WindowMedian(series, from, median)) continue;
        if (std::abs(series[i] - median) > limit && LeavesItsNeighbours(series, n, i, limit)) {
            series[i] = NAN;
            ++removed;
        }
    }
    // A few spikes in a row outvote the median around them: a jump away from the last good
    // sample, the samples after it all beyond the limit on the same side of the chord, and a
    // jump back within LongestSpikeRun samples; each jump more than twice any step within the
    // run and either side of it, which no wave makes, however steep. Samples of the run the
    // first pass took out already belong to it.
    const int longest = LongestSpikeRun(rate);
    for (int i = 1; i + 1 < n; ++i) {
        if (std::isnan(series[i])) continue;
        int last = i - 1; // the last good sample before
        while (last >= 0 && std::isnan(series[last]) && i - last < longest)
            --last;
        if (last < 0 || std::isnan(series[last]) || near(i, last)) continue;
        const double before = series[last];
        const double side = series[i] > before ? 1.0 : -1.0;
        const auto off = [&](int k, double slope) {
            return side * (series[k] - (before + slope * (k - last)));
        };
        double runValue = series[i]; // the run's latest sample still in
        for (int j = i; j < std::min(n - 1, last + longest); ++j) {
            if (!std::isnan(series[j])) runValue = series[j];
            const double after = series[j + 1];
            if (std::isnan(after)) continue; // taken out already, or missing: not back yet
            if (side * (runValue - after) <= limit) continue; // not back yet
            const double slope = (after - before) / (j + 1 - last);
            bool away = true;
            for (int k = i; k <= j && away; ++k)
                away = std::isnan(series[k]) || off(k, slope) > limit;
            if (!away) break;
            const double jump = std::min(std::abs(series[i] - before), std::abs(runValue - after));
            const double steps = std::max({LargestStep(series, n, i, j),
                                           LargestStep(series, n, last - 1, last),
                                           LargestStep(series, n, j + 1, j + 2)});
            if (jump <= 2.0 * steps) break;
            for (int k = i; k <= j; ++k)
                if (!std::isnan(series[k])) {
                    series[k] = NAN;
                    ++removed;
                }
            i = j;
            break;
        }
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
// first to the last good sample to the front, marking in `filled` (when given) the samples
// filled. Returns its length.
int FillAndTrim(double* series, int n, unsigned char* filled) {
    int first = 0;
    while (first < n && std::isnan(series[first]))
        ++first;
    if (first == n) return 0;
    int last = n - 1;
    while (std::isnan(series[last]))
        --last;
    if (filled)
        for (int i = first; i <= last; ++i)
            filled[i - first] = std::isnan(series[i]) ? 1 : 0;
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
                           double* series, double* scratch, unsigned char* filled) {
    QcResult result;
    const int n = std::max(0, expected);
    result.expected = n;
    const int runLength = std::max({2, settings.flatLeastSamples,
                                    int(std::lround(settings.flatSeconds * rate))});
    CountGapsAndFlatRuns(values, n, runLength, result, series);

    if (std::isfinite(settings.rangeLow) || std::isfinite(settings.rangeHigh))
        result.outOfRange = RemoveOutOfRange(series, n, settings.rangeLow, settings.rangeHigh);
    result.spikes = RemoveSpikes(series, n, rate, settings.spikeDeviations, scratch);
    bool firstAny = false, secondAny = false;
    const double firstHalf = HalfMean(series, 0, n / 2, firstAny);
    const double secondHalf = HalfMean(series, n / 2, n, secondAny);
    if (firstAny && secondAny) result.meanShift = secondHalf - firstHalf;
    const bool whole = result.missing == 0 && result.outOfRange == 0 && result.spikes == 0;
    result.length = whole ? n : FillAndTrim(series, n, filled);
    if (whole && filled) std::fill(filled, filled + n, 0);

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
