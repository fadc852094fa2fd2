#pragma once

// Bessel high-pass filter, used as the tide filter: it takes out slow changes of the water
// level (tide, drift of the staff) and keeps the waves, with the least phase distortion of
// the classic designs.
//
// Design: the phase-normalised analog Bessel prototype (its magnitude asymptotes are those of
// a Butterworth of the same order and cut-off), turned into a high-pass at the pre-warped
// cut-off and into a digital filter by the bilinear transform, as second-order sections (and
// one first-order section for an odd order).

#include "analysis/codec/AnalysisStatus.h"

#include <array>
#include <complex>

namespace undarix::analysis::codec {

inline constexpr int kMaxBesselOrder = 10;

// One section: y = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2) x. A first-order
// section has b2 = a2 = 0.
struct Biquad {
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
};

struct BesselHighPassDesign {
    int sectionCount = 0;
    std::array<Biquad, (kMaxBesselOrder + 1) / 2> sections{};
};

// The poles of the phase-normalised low-pass prototype of the given order (cut-off 1 rad/s):
// one of each conjugate pair (imaginary part > 0), then the real pole for an odd order.
// Returns the number of poles written to `poles` (at least (order + 1) / 2 entries), or 0 for
// an order outside 1 .. kMaxBesselOrder.
int BesselPrototypePoles(int order, std::complex<double>* poles);

int DesignBesselHighPass(double samplingFrequency, double cutoff, int order,
                         BesselHighPassDesign* design);

// Filters `count` samples forward once, from a zero state. `output` may be `input` (in place).
int Bssl_HPF(const double* input, int count, double samplingFrequency, double cutoff, int order,
             double* output);

} // namespace undarix::analysis::codec
