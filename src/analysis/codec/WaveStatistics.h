#pragma once

// What every wave analysis reports beside Hm0: the periods from the spectrum, and the waves
// counted between zero down-crossings of the surface.

namespace undarix::analysis::codec {

struct SpectralPeriods {
    bool available = false; // false for a spectrum without power above 0 Hz
    double tp = 0.0;        // peak period: 1 / frequency of the largest bin above 0 Hz (s)
    double tm01 = 0.0;      // m0 / m1 (s)
    double tm02 = 0.0;      // sqrt(m0 / m2) (s)
};

// From an unwindowed power spectrum of `count` bins at step `df`; the moments are taken over
// the bins above 0 Hz (0 < f < sampling rate / 2).
[[nodiscard]] SpectralPeriods SpectralWavePeriods(const double* power, int count, double df);

struct ZeroCrossingWaves {
    bool available = false; // false with fewer than two down-crossings
    int waves = 0;          // crossings - 1
    double h13 = 0.0;       // mean height of the highest third of the waves (at least one)
    double hmax = 0.0;      // the highest wave
};

// Waves of the series between successive zero down-crossings about `level` (a crossing lies
// between points i and i + 1 where the first is at or above the level and the second below);
// a wave's height is its highest minus its lowest point. `scratch` holds at least count / 2
// doubles (it receives the heights).
[[nodiscard]] ZeroCrossingWaves ZeroDownCrossingWaves(const double* series, int count, double level,
                                                      double* scratch, int scratchSize);

} // namespace undarix::analysis::codec
