#pragma once

// Converting a power spectrum into the unit the user wants to see, and naming that unit.

#include "analysis/codec/AnalysisStatus.h"
#include "analysis/codec/Windows.h"

#include <string>

namespace undarix::analysis::codec {

// The spectrum handed in. Only the power spectrum (of AutoPowerSpectrum) is converted.
inline constexpr int kPowerSpectrumType = 0;

// The scaling selector's codes.
enum SpectrumScaling : int {
    kLinearScaling = 0,
    kDecibelScaling = 1, // 10 log10 of power quantities, 20 log10 of amplitude quantities
};

// The display-unit selector's codes.
enum DisplayUnit : int {
    kPowerRms = 0,                 // U^2 rms
    kAmplitudeRms = 1,             // U rms
    kAmplitudePeak = 2,            // U peak (the 0 Hz bin has no peak factor)
    kPowerSpectralDensity = 3,     // U^2/Hz: power / (ENBW x df)
    kAmplitudeSpectralDensity = 4, // U rms/sqrt(Hz)
    kDisplayUnitCount = 5,
};

// Levels below this power (and its square root) show as -300 dB instead of minus infinity.
inline constexpr double kPowerFloor = 1e-30;

// Converts `count` bins of `power` into `converted` (which may be `power`). `unit` holds the
// samples' unit on entry (e.g. "M") and the unit of the result on return (e.g. "M^2/Hz",
// "dB M^2/Hz"). `df` and the window constants are those of the spectrum.
int SpectrumUnitConversion(const double* power, int count, int spectrumType, int scaling,
                           int displayUnit, double df, const WindowConstants& window,
                           double* converted, std::string& unit);

} // namespace undarix::analysis::codec
