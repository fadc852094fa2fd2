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

// Marks in `unseen` the samples of filled stretches longer than a second: a wave drawn
// across one is no wave that was seen.
void MarkLongFills(const unsigned char* filled, int count, int rate, unsigned char* unseen) {
    int i = 0;
    while (i < count) {
        if (!filled[i]) {
            unseen[i++] = 0;
            continue;
        }
        int end = i;
        while (end < count && filled[end])
            ++end;
        std::fill(unseen + i, unseen + end, end - i > rate ? 1 : 0);
        i = end;
    }
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
    if (int(work.filled.size()) < expected) {
        work.filled.resize(std::size_t(expected));
        work.unseen.resize(std::size_t(expected));
    }

    record.qc = RunQualityControl(values, expected, rate, settings.qc, work.series.data(),
                                  work.scratch.data(), work.filled.data());
    const int n = record.qc.length;
    if (n < 1 || rate < 1) {
        SetReason(record, "no good samples", 0, 0);
        return record;
    }
    double* series = work.series.data();
    // Nothing filled (the usual case): no marks to look at.
    const bool anyFilled = record.qc.missing > 0 || record.qc.outOfRange > 0 || record.qc.spikes > 0;
    const unsigned char* filled = anyFilled ? work.filled.data() : nullptr;
    // The seconds of samples that came, not of the lines drawn across gaps and spikes.
    const int came = filled ? int(std::count(filled, filled + n, 0)) : n;
    record.analysedSeconds = double(came) / rate;
    const SlowLevel level = FitSlowLevel(series, n, settings.removeSlowLevel, filled);
    record.levelKnown = true;
    record.mean = level.mean;
    record.levelChange = level.change;
    if (record.analysedSeconds < kLeastRecordSeconds) {
        SetReason(record, "%.0f s of good samples; at least %.0f s are needed",
                  record.analysedSeconds, kLeastRecordSeconds);
        return record;
    }

    // The averaged spectrum takes a straight line off each segment: the level may stay on for
    // it, and comes off with what lies outside the band, unless the tide filter wants it off
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
    // What lies below the band (infragravity waves, a harbour's seiche, what the parabola left
    // of the tide) is no sea, unless the user keeps the slow level. Near the ends its part
    // comes back for the waves (BandLimit.h), not for Hm0.
    const bool cutBelow = settings.removeSlowLevel || settings.tideFilter;
    if (const int status = LimitToBand(series, n, double(rate), cutBelow ? band.low : 0.0,
                                       band.high, left, &work.slowAtEnds);
        status != kAnalysisOk) {
        SetReason(record, "the waves could not be limited to the band (code %.0f)", status, 0);
        return record;
    }
    // The series' mean is nought but for rounding, having lost its level: one pass will do.
    // Over the samples that came only: the straight lines across the gaps are no sea and
    // would lower Hm0 by the share missing.
    double sum = 0.0, squares = 0.0;
    int counted = 0;
    for (int i = 0; i < n; ++i) {
        if (filled && filled[i]) continue;
        sum += series[i];
        squares += series[i] * series[i];
        ++counted;
    }
    if (counted == 0) counted = 1;
    const double hm0 =
        4.0 * std::sqrt(std::max(0.0, squares / counted - (sum / counted) * (sum / counted)));
    AddSlowPartAtEnds(series, n, work.slowAtEnds);

    if (filled) MarkLongFills(filled, n, rate, work.unseen.data());
    record.waves = ZeroDownCrossingWaves(series, n, 0.0, work.scratch.data(), n / 2 + 1,
                                         1.0 / rate, filled ? work.unseen.data() : nullptr);
    if (record.waves.waves < kLeastRecordWaves) {
        SetReason(record, "%.0f waves in the band; at least %.0f are needed",
                  double(record.waves.waves), kLeastRecordWaves);
        return record;
    }
    record.periods = BandWavePeriods(work.spectrum.data(), welch.bins, welch.df, band);
    record.analysed = true;
    record.hm0 = hm0;
    record.df = welch.df;
    record.segments = welch.segments;
    record.degreesOfFreedom = welch.degreesOfFreedom;
    return record;
}

} // namespace undarix::analysis::codec
