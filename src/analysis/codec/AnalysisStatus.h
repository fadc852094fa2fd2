#pragma once

// What the signal-analysis functions return: 0 when the work was done, a negative code when
// the arguments could not be worked on (nothing is written then).

namespace undarix::analysis::codec {

enum AnalysisStatus : int {
    kAnalysisOk = 0,
    kTooFewSamples = -1,     // a count below what the call needs
    kBadSampleInterval = -2, // a sampling interval or frequency that is not positive
    kBadFilterSpec = -3,     // cut-off not between 0 and half the sampling frequency, or order
    kUnknownWindow = -4,
    kUnknownSpectrumType = -5,
    kUnknownScaling = -6,
    kUnknownDisplayUnit = -7,
    kOutOfMemory = -8, // a transform's buffers could not be had
};

} // namespace undarix::analysis::codec
