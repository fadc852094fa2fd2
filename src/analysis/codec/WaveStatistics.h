#pragma once

// What every wave analysis reports beside Hm0: the periods and the bandwidth from the
// spectrum, and the waves counted between zero down-crossings of the surface.

namespace undarix::analysis::codec {

struct SpectralPeriods {
    bool available = false; // false for a spectrum without power above 0 Hz
    double tp = 0.0;        // peak period: 1 / frequency of the largest bin above 0 Hz (s)
    double tm01 = 0.0;      // m0 / m1 (s)
    double tm02 = 0.0;      // sqrt(m0 / m2) (s)
    double tmm10 = 0.0;     // energy period Tm-1,0 = m-1 / m0 (s)
    double bandwidth = 0.0; // spectral width sqrt(m0 m2 / m1^2 - 1), 0 for a single line
    double m0 = 0.0;        // the variance the moments are taken over (m^2)
};

// The moments of the bins [first, end) (first above 0) of a power spectrum at step `df`, and
// the periods from them, the peak at bin `peak` plus `peakOffset` (a fraction of a bin).
[[nodiscard]] SpectralPeriods MomentPeriods(const double* power, int first, int end, double df,
                                            int peak, double peakOffset = 0.0);

// From an unwindowed power spectrum of `count` bins at step `df`; the moments are taken over
// the bins above 0 Hz (0 < f < sampling rate / 2).
[[nodiscard]] SpectralPeriods SpectralWavePeriods(const double* power, int count, double df);

struct ZeroCrossingWaves {
    bool available = false; // false with fewer than two down-crossings
    int waves = 0;          // crossings - 1
    double h13 = 0.0;       // mean height of the highest third of the waves (at least one)
    double hmax = 0.0;      // the highest wave
    // Periods in seconds, measured between crossings placed by linear interpolation between
    // the points on either side.
    double t13 = 0.0;  // mean period of the highest third
    double tmax = 0.0; // period of the highest wave (the first of equals)
    double tz = 0.0;   // mean period: first to last crossing over the number of waves
};

// Waves of the series between successive zero down-crossings about `level` (a crossing lies
// between points i and i + 1 where the first is at or above the level and the second below);
// a wave's height is its highest minus its lowest point. `scratch` holds at least count / 2
// doubles (it receives the heights). `sampleInterval` (seconds) scales the periods. A wave
// with a point marked in `unseen` (when given: a line drawn across a long gap, no water seen)
// is not counted, and the mean period is that of the waves counted.
[[nodiscard]] ZeroCrossingWaves ZeroDownCrossingWaves(const double* series, int count, double level,
                                                      double* scratch, int scratchSize,
                                                      double sampleInterval = 1.0,
                                                      const unsigned char* unseen = nullptr);

} // namespace undarix::analysis::codec
