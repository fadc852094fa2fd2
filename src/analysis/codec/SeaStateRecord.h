#pragma once

// The sea state of one unit over one interval: who measured it, when, how good the raw
// series was, and the bulk wave parameters of what passed the quality control.

#include "analysis/codec/QualityControl.h"
#include "analysis/codec/WaveStatistics.h"

#include <cstdint>

namespace undarix::analysis::codec {

struct SeaStateRecord {
    int deviceNumber = 0;
    std::uint64_t address = 0; // 64-bit network address; the device number for data files
    std::int64_t start = 0;    // calendar seconds of the interval's start on the unit's clock
    int intervalMinutes = 0;
    int sampleRate = 0;      // Hz
    bool tideFilter = false; // the statistics were taken after the tide filter
    bool levelRemoved = false; // ... and after the slow level was taken off
    QcResult qc;

    bool levelKnown = false;  // false when no sample passed the checks
    double mean = 0.0;        // mean level of the cleaned series (m)
    double levelChange = 0.0; // how far the slow level rose over the interval (m)

    double analysedSeconds = 0.0; // the length of the cleaned series
    double bandLow = 0.0;         // Hz: the wave band of the periods, Hm0 and the waves
    double bandHigh = 0.0;
    bool analysed = false; // false when too little passed the checks for any statistics ...
    char reason[64] = {};  // ... and why
    double hm0 = 0.0;        // 4 x the standard deviation within the band (after the tide filter when on)
    SpectralPeriods periods; // Tp, Tm01, Tm02, Tm-1,0 and the bandwidth, from the spectrum
    ZeroCrossingWaves waves; // H1/3, T1/3, Hmax, Tmax, Tz and the number of waves
    double df = 0.0;         // Hz per bin of the averaged spectrum
    int segments = 0;        // averaged
    double degreesOfFreedom = 0.0;
};

} // namespace undarix::analysis::codec
