#include "analysis/codec/SeriesAnalysis.h"

#include "analysis/codec/BesselFilter.h"
#include "analysis/codec/PowerSpectrum.h"
#include "analysis/codec/Statistics.h"

#include <cmath>
#include <utility>

namespace undarix::analysis::codec {

int PackSamples(const double* values, int start, int end, double* work) {
    int count = 0;
    for (int i = start; i < end; ++i)
        if (values[i] != kMissingSample) work[count++] = values[i];
    return count;
}

WaveSeries PrepareWaveSeries(double* samples, int count, double sampleRate, bool tideFilter,
                             double* scratch) {
    WaveSeries result;
    if (count < 1) {
        result.status = kTooFewSamples;
        return result;
    }
    if (!(sampleRate > 0.0)) {
        result.status = kBadSampleInterval;
        return result;
    }

    double mean = 0.0, deviation = 0.0;
    (void)StdDev(samples, count, &mean, &deviation);
    result.mean = mean;
    // A level constant but for rounding leaves rounding after the mean is taken off, not
    // waves: it is flat, so no period or wave is made of it.
    const bool flat = deviation <= 1e-13 * std::abs(mean);
    for (int i = 0; i < count; ++i)
        samples[i] = flat ? 0.0 : samples[i] - mean;
    if (flat) deviation = 0.0;
    double level = 0.0; // the mean of the series the waves are counted on
    if (tideFilter) {
        result.status =
            Bssl_HPF(samples, count, sampleRate, kTideCutoffHz, kTideFilterOrder, samples);
        if (result.status != kAnalysisOk) return result;
        (void)StdDev(samples, count, &level, &deviation);
    }
    result.hm0 = 4.0 * deviation;
    result.waves =
        ZeroDownCrossingWaves(samples, count, level, scratch, count / 2, 1.0 / sampleRate);
    return result;
}

SeriesResult AnalyzeSeries(double* samples, int count, const SeriesOptions& options, double* power,
                           double* converted) {
    SeriesResult result;
    result.count = count;
    // `converted` is free until the unit conversion: it holds the wave heights meanwhile.
    const WaveSeries series =
        PrepareWaveSeries(samples, count, options.sampleRate, options.tideFilter, converted);
    result.status = series.status;
    result.mean = series.mean;
    result.hm0 = series.hm0;
    result.waves = series.waves;
    if (result.status != kAnalysisOk) return result;
    if (count < 2) return result; // no spectrum of a single point

    // The periods come from the spectrum before windowing, whose moments are those of the
    // series itself (its area is the variance).
    const double interval = 1.0 / options.sampleRate;
    result.spectrumCount = count / 2;
    result.status = AutoPowerSpectrum(samples, count, interval, power, &result.df);
    if (result.status != kAnalysisOk) return result;
    result.periods = SpectralWavePeriods(power, result.spectrumCount, result.df);

    result.status = ScaledWindowEx(samples, count, options.windowType, 0.0, &result.window);
    if (result.status != kAnalysisOk) return result;
    if (options.windowType != kUniformWindow) {
        result.status = AutoPowerSpectrum(samples, count, interval, power, &result.df);
        if (result.status != kAnalysisOk) return result;
    }
    std::string unit(1, 'M'); // the samples are in meters
    result.status =
        SpectrumUnitConversion(power, result.spectrumCount, kPowerSpectrumType, options.scaling,
                               options.displayUnit, result.df, result.window, converted, unit);
    result.unit = std::move(unit);
    return result;
}

} // namespace undarix::analysis::codec
