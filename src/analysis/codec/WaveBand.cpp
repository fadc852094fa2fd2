#include "analysis/codec/WaveBand.h"

#include <algorithm>
#include <cmath>

namespace undarix::analysis::codec {
namespace {

// The first and one past the last bin within the band.
void BandBins(int bins, double df, const WaveBand& band, int& first, int& end) {
    first = std::max(1, int(std::ceil(band.low / df - 1e-9)));
    end = std::min(bins, int(std::floor(band.high / df + 1e-9)) + 1);
}

int PeakBin(const double* power, int first, int end) {
    int peak = first;
    for (int k = first; k < end; ++k)
        if (power[k] > power[peak]) peak = k;
    return peak;
}

} // namespace

WaveBand ChooseWaveBand(const double* power, int bins, double df, double rate, double lowHz,
                        double highHz) {
    WaveBand band;
    const double nyquist = rate / 2.0;
    band.low = std::clamp(lowHz, 0.0, nyquist);
    if (highHz > 0.0) {
        band.high = std::clamp(highHz, band.low, nyquist);
        return band;
    }
    band.high = nyquist;
    int first = 0, end = 0;
    BandBins(bins, df, band, first, end);
    double top = kAutoBandTopHz;
    if (first < end && power[PeakBin(power, first, end)] > 0.0)
        top = std::max(top, kAutoBandPeakFactor * PeakBin(power, first, end) * df);
    band.high = std::clamp(top, band.low, nyquist);
    return band;
}

SpectralPeriods BandWavePeriods(const double* power, int bins, double df, const WaveBand& band) {
    SpectralPeriods periods;
    if (bins < 2 || !(df > 0.0)) return periods;
    int first = 0, end = 0;
    BandBins(bins, df, band, first, end);
    if (first >= end) return periods;
    const int peak = PeakBin(power, first, end);
    double offset = 0.0;
    if (peak > 0 && peak + 1 < bins && power[peak - 1] > 0.0 && power[peak + 1] > 0.0) {
        const double below = std::log(power[peak - 1]), at = std::log(power[peak]),
                     above = std::log(power[peak + 1]);
        const double curvature = below - 2.0 * at + above;
        if (curvature < 0.0) offset = std::clamp(0.5 * (below - above) / curvature, -0.5, 0.5);
    }
    return MomentPeriods(power, first, end, df, peak, offset);
}

} // namespace undarix::analysis::codec
