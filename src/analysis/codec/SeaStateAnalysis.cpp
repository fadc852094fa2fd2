#include "analysis/codec/SeaStateAnalysis.h"

#include "analysis/codec/SeriesAnalysis.h"
#include "analysis/codec/WelchSpectrum.h"

#include <algorithm>

namespace undarix::analysis::codec {
namespace {

void Reserve(std::vector<double>& buffer, int size) {
    if (int(buffer.size()) < size) buffer.resize(std::size_t(size));
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
    const int segmentLength = kSegmentSeconds * std::max(1, rate);
    Reserve(work.series, expected);
    Reserve(work.scratch, expected / 2 + 1);
    Reserve(work.segment, segmentLength);
    Reserve(work.segmentPower, segmentLength / 2 + 1);
    Reserve(work.spectrum, segmentLength / 2 + 1);

    record.qc = RunQualityControl(values, expected, rate, settings.qc, work.series.data());
    const int n = record.qc.length;
    if (n < kFewestAnalysedSamples || rate < 1) return record;

    const WaveSeries series = PrepareWaveSeries(work.series.data(), n, double(rate),
                                                settings.tideFilter, work.scratch.data());
    if (series.status != kAnalysisOk) return record;
    const WelchResult welch =
        WelchPowerSpectrum(work.series.data(), n, segmentLength, 1.0 / rate, work.window,
                           work.segment.data(), work.segmentPower.data(), work.spectrum.data());
    if (welch.status != kAnalysisOk) return record;
    record.analysed = true;
    record.mean = series.mean;
    record.hm0 = series.hm0;
    record.waves = series.waves;
    record.periods = SpectralWavePeriods(work.spectrum.data(), welch.bins, welch.df);
    record.df = welch.df;
    record.segments = welch.segments;
    record.degreesOfFreedom = welch.degreesOfFreedom;
    return record;
}

} // namespace undarix::analysis::codec
