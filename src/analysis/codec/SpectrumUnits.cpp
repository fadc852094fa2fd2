#include "analysis/codec/SpectrumUnits.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace undarix::analysis::codec {
namespace {

bool IsPowerQuantity(int displayUnit) {
    return displayUnit == kPowerRms || displayUnit == kPowerSpectralDensity;
}

std::string UnitText(const std::string& base, int displayUnit) {
    switch (displayUnit) {
    case kPowerRms: return base + "^2 rms";
    case kAmplitudeRms: return base + " rms";
    case kAmplitudePeak: return base + " peak";
    case kPowerSpectralDensity: return base + "^2/Hz";
    default: return base + " rms/sqrt(Hz)";
    }
}

} // namespace

int SpectrumUnitConversion(const double* power, int count, int spectrumType, int scaling,
                           int displayUnit, double df, const WindowConstants& window,
                           double* converted, std::string& unit) {
    if (spectrumType != kPowerSpectrumType) return kUnknownSpectrumType;
    if (scaling != kLinearScaling && scaling != kDecibelScaling) return kUnknownScaling;
    if (displayUnit < 0 || displayUnit >= kDisplayUnitCount) return kUnknownDisplayUnit;
    if (count < 0) return kTooFewSamples;
    const double bandwidth = window.enbw * df; // Hz covered by one bin
    if ((displayUnit == kPowerSpectralDensity || displayUnit == kAmplitudeSpectralDensity) &&
        !(bandwidth > 0.0))
        return kBadSampleInterval;

    for (int k = 0; k < count; ++k) {
        const double p = power[k];
        double value = p;
        switch (displayUnit) {
        case kPowerRms: break;
        case kAmplitudeRms: value = std::sqrt(p); break;
        // A sine of amplitude A has A^2 / 2 in its bin; the 0 Hz bin is a level, not a sine.
        case kAmplitudePeak: value = k == 0 ? std::sqrt(p) : std::sqrt(2.0 * p); break;
        case kPowerSpectralDensity: value = p / bandwidth; break;
        case kAmplitudeSpectralDensity: value = std::sqrt(p / bandwidth); break;
        }
        if (scaling == kDecibelScaling) {
            value = IsPowerQuantity(displayUnit)
                        ? 10.0 * std::log10(std::max(value, kPowerFloor))
                        : 20.0 * std::log10(std::max(value, std::sqrt(kPowerFloor)));
        }
        converted[k] = value;
    }
    std::string shown = UnitText(unit, displayUnit);
    if (scaling == kDecibelScaling) shown.insert(0, "dB ");
    unit = std::move(shown);
    return kAnalysisOk;
}

} // namespace undarix::analysis::codec
