#include "chart/ChartFifo.h"

namespace undarix::chart {
namespace {

// 14 MB of fixed storage, outside the stack and never reallocated.
std::array<Trace, kTraceCount> traces;

} // namespace

std::array<Trace, kTraceCount>& ChartFifo = traces;

} // namespace undarix::chart
