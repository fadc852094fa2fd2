#pragma once

// The whole analysis of one stretch of water levels: the mean level, Hm0, the optional tide
// filter, the windowed spectrum in the chosen unit, the spectral periods and the zero
// down-crossing waves. The program's analysis page, the simulator and the command-line
// companion all run this one function.

#include "analysis/codec/SpectrumUnits.h"
#include "analysis/codec/WaveStatistics.h"
#include "analysis/codec/Windows.h"

#include <string>

namespace undarix::analysis::codec {

// A point of a chart trace that holds no sample.
inline constexpr double kMissingSample = -101.0;
// The tide filter: fifth-order Bessel high-pass at 0.01 Hz (a 100-second period).
inline constexpr double kTideCutoffHz = 0.01;
inline constexpr int kTideFilterOrder = 5;

// Copies values[start .. end - 1] into `work`, leaving out missing samples, so the samples
// that remain follow one another directly. Returns how many were copied.
int PackSamples(const double* values, int start, int end, double* work);

// The time-domain part every wave analysis shares. The mean level is taken off the `count`
// samples in place, then the tide filter (when asked) runs over them; Hm0 is 4 x the standard
// deviation of what remains, and the waves are counted on it. `scratch` holds count / 2
// doubles. The samples are left as the analysed series, ready for a spectrum.
struct WaveSeries {
    int status = kAnalysisOk;
    double mean = 0.0; // the mean level of the samples as given (m)
    double hm0 = 0.0;
    ZeroCrossingWaves waves;
};
[[nodiscard]] WaveSeries PrepareWaveSeries(double* samples, int count, double sampleRate,
                                           bool tideFilter, double* scratch);

struct SeriesOptions {
    double sampleRate = 0.0; // Hz
    bool tideFilter = false;
    int windowType = kHanningWindow;
    int scaling = kLinearScaling;
    int displayUnit = kPowerSpectralDensity;
};

struct SeriesResult {
    int status = kAnalysisOk;
    int count = 0;         // samples analysed
    double mean = 0.0;     // the mean level of the samples as given (m)
    double hm0 = 0.0;      // 4 x the standard deviation of the analysed series (m)
    int spectrumCount = 0; // count / 2 bins in the spectra
    double df = 0.0;       // Hz per bin
    WindowConstants window;
    std::string unit; // of the converted spectrum
    SpectralPeriods periods;
    ZeroCrossingWaves waves;
};

// Analyses `count` samples in place in `samples` (left as the windowed, analysed series).
// `power` receives the power spectrum of the windowed series and `converted` that spectrum in
// the chosen unit; each holds at least count / 2 doubles.
[[nodiscard]] SeriesResult AnalyzeSeries(double* samples, int count, const SeriesOptions& options,
                                         double* power, double* converted);

} // namespace undarix::analysis::codec
