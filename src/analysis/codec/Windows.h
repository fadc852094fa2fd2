#pragma once

// Time-domain windows for the spectrum, in their periodic (DFT-even) form, which is what a
// spectrum of N points needs: w[i] = sum over k of (-1)^k a[k] cos(2 pi k i / N).

#include "analysis/codec/AnalysisStatus.h"

namespace undarix::analysis::codec {

// The window selector's codes.
enum WindowType : int {
    kUniformWindow = 0,
    kHanningWindow = 1,
    kHammingWindow = 2,
    kBlackmanHarrisWindow = 3, // 3-term, minimum side lobes (-67 dB)
    kExactBlackmanWindow = 4,
    kBlackmanWindow = 5,
    kFlatTopWindow = 6, // 5-term
    kBlackmanHarris4Window = 7,
    kWindowTypeCount = 8,
};

// What the unit conversion needs of the window that was applied.
struct WindowConstants {
    double enbw = 1.0;         // equivalent noise bandwidth in bins: N sum(w^2) / sum(w)^2
    double coherentGain = 1.0; // sum(w) / N
};

// The window's value at point `index` of `count`; 0 for an unknown type.
[[nodiscard]] double WindowValue(int windowType, int index, int count);

// Multiplies the samples in place by w / (coherent gain), so a sine keeps its amplitude in the
// spectrum, and returns the window's constants, computed from the window itself. The window
// parameter is for parametric windows; none of these types uses it.
int ScaledWindowEx(double* samples, int count, int windowType, double windowParameter,
                   WindowConstants* constants);

} // namespace undarix::analysis::codec
