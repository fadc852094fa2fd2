#pragma once

// The eight chart traces: each keeps every plotted value in meters at the point given by its
// time stamp and sample rate, with -101.0 where no sample came, so the analysis can work on
// the stored values and skip the gaps. Allocated once for the program's life.

#include <array>
#include <cstdint>

namespace undarix::chart {

inline constexpr int kTraceCount = 8;
inline constexpr int kTracePoints = 55296;
inline constexpr double kNoSample = -101.0;
inline constexpr std::uint8_t kNotInTable = 8;

struct Trace {
    int deviceNumber = 0; // 0 = trace not used
    std::uint8_t tableIndex = kNotInTable;
    std::uint8_t sampleRate = 0;   // the rate the trace was laid out for
    std::int32_t plotHandle = 0;   // the last segment drawn
    std::int32_t writeIndex = 0;   // blocks: the point after the last written; single: the last
    float capacity = 0.0f;         // time scale x 16 x rate, at most kTracePoints
    double plotY[kTracePoints];    // (value - Y offset) / Y range
    double plotX[kTracePoints];    // point / (time scale x rate)
    double values[kTracePoints];   // meters; kNoSample where none
    double analysisWork[kTracePoints];
};

// The traces, indexed 0 to 7 (traces 1 to 8 on the panel).
extern std::array<Trace, kTraceCount>& ChartFifo;

} // namespace undarix::chart
