#include "chart/ChartState.h"

#include "chart/ChartFifo.h"
#include "chart/ChartGraph.h"
#include "chart/GraphPlots.h"
#include "chart/TracePlotting.h"

#include <algorithm>

namespace undarix::chart {

ChartStateRecord Chart;

void ResetChartState() {
    DetachChartGraph();
    Chart = ChartStateRecord{};
    for (Trace& trace : ChartFifo) {
        trace.deviceNumber = 0;
        trace.tableIndex = kNotInTable;
        trace.sampleRate = 0;
        trace.plotHandle = 0;
        trace.writeIndex = 0;
        trace.capacity = 0.0f;
        std::fill(std::begin(trace.plotY), std::end(trace.plotY), 0.0);
        std::fill(std::begin(trace.plotX), std::end(trace.plotX), 0.0);
        std::fill(std::begin(trace.values), std::end(trace.values), 0.0);
    }
    ResetGraphPlots();
    ForgetTraceNotes();
}

} // namespace undarix::chart
