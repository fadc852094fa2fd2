#include "analysis/codec/SeaStateAnalysis.h"

#include "analysis/codec/BandLimit.h"
#include "analysis/codec/BesselFilter.h"
#include "analysis/codec/SeriesAnalysis.h"
#include "analysis/codec/SlowLevel.h"
#include "analysis/codec/WelchSpectrum.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace undarix::analysis::codec {
namespace {

void Reserve(std::vector<double>& buffer, int size) {
    if (int(buffer.size()) < size) buffer.resize(std::size_t(size));
}

void SetReason(SeaStateRecord& record, const char* format, double a, double b) {
    char text[sizeof record.reason];
    std::snprintf(text, sizeof text, format, a, b);
    std::copy(text, text + sizeof text, record.reason);
}

} // namespace

bool IsValidIntervalMinutes(int minutes) {
    return minutes == 10 || minutes == 20 || minutes == 30 || minutes == 60;
}

SeaStateRecord AnalyzeInterval(const float* values, int expected, int rate,
                               const SeaStateSettings& settings, SeaStateWorkspace& work) {
    SeaStateRecord record;
    record.sampleRate = rate;
    record.intervalMinutes = settings.intervalMinutes;
    record.tideFilter = settings.tideFilter;
    record.levelRemoved = settings.removeSlowLevel;
    const int segmentLength = kSegmentSeconds * std::max(1, rate);
    Reserve(work.series, expected);
    Reserve(work.scratch, expected + 1);
    Reserve(work.segment, segmentLength);
    Reserve(work.segmentPower, segmentLength / 2 + 1);
    Reserve(work.spectrum, segmentLength / 2 + 1);

    record.qc = RunQualityControl(values, expected, rate, settings.qc, work.series.data(),
                                  work.scratch.data());
    const int n = record.qc.length;
    if (n < 1 || rate < 1) {
        SetReason(record, "no good samples", 0, 0);
        return record;
    }
    double* series = work.series.data();
    record.analysedSeconds = double(n) / rate;
    const SlowLevel level = FitSlowLevel(series, n, settings.removeSlowLevel);
    record.levelKnown = true;
    record.mean = level.mean;
    record.levelChange = level.change;
    if (record.analysedSeconds < kLeastRecordSeconds) {
        SetReason(record, "%.0f s of good samples; at least %.0f s are needed",
                  record.analysedSeconds, kLeastRecordSeconds);
        return record;
    }

    // The averaged spectrum takes a straight line off each segment: the level may stay on for
    // it, and comes off with what lies above the band, unless the tide filter wants it off
    // first.
    SlowLevel left = level;
    if (settings.tideFilter) {
        TakeOffSlowLevel(series, n, level);
        left = SlowLevel{};
        if (Bssl_HPF(series, n, double(rate), kTideCutoffHz, kTideFilterOrder, series) !=
            kAnalysisOk) {
            SetReason(record, "the tide filter could not run at %.0f Hz", rate, 0);
            return record;
        }
    }
    const WelchResult welch =
        WelchPowerSpectrum(series, n, segmentLength, 1.0 / rate, work.window, work.segment.data(),
                           work.segmentPower.data(), work.spectrum.data());
    if (welch.status != kAnalysisOk) {
        SetReason(record, "the spectrum could not be computed (code %.0f)", welch.status, 0);
        return record;
    }
    const WaveBand band = ChooseWaveBand(work.spectrum.data(), welch.bins, welch.df, rate,
                                         settings.bandLowHz, settings.bandHighHz);
    record.bandLow = band.low;
    record.bandHigh = band.high;
    if (const int status = LimitAbove(series, n, double(rate), band.high, left);
        status != kAnalysisOk) {
        SetReason(record, "the waves could not be limited to the band (code %.0f)", status, 0);
        return record;
    }
    record.waves = ZeroDownCrossingWaves(series, n, 0.0, work.scratch.data(), n / 2 + 1,
                                         1.0 / rate);
    if (record.waves.waves < kLeastRecordWaves) {
        SetReason(record, "%.0f waves in the band; at least %.0f are needed",
                  double(record.waves.waves), kLeastRecordWaves);
        return record;
    }
    record.periods = BandWavePeriods(work.spectrum.data(), welch.bins, welch.df, band);
    record.analysed = true;
    // The series' mean is nought but for rounding, having lost its level: one pass will do.
    // Over the samples that came only: the straight lines across the gaps are no sea and
    // would lower Hm0 by the share missing.
    int from = 0;
    while (from < expected && std::isnan(values[from]))
        ++from;
    double sum = 0.0, squares = 0.0;
    int counted = 0;
    for (int i = 0; i < n; ++i) {
        if (from + i < expected && std::isnan(values[from + i])) continue;
        sum += series[i];
        squares += series[i] * series[i];
        ++counted;
    }
    if (counted == 0) counted = 1;
    // What lies below the band (infragravity waves, a harbour's seiche, what the parabola left
    // of the tide) is no sea: its variance, from the averaged spectrum, comes off. A cut in the
    // series itself would ring on the waves at its ends for tens of seconds.
    const double below = settings.removeSlowLevel || settings.tideFilter
                             ? BandVarianceBelow(work.spectrum.data(), welch.bins, welch.df, band)
                             : 0.0;
    record.hm0 = 4.0 * std::sqrt(
        std::max(0.0, squares / counted - (sum / counted) * (sum / counted) - below));
    record.df = welch.df;
    record.segments = welch.segments;
    record.degreesOfFreedom = welch.degreesOfFreedom;
    return record;
}

} // namespace undarix::analysis::codec
