#include "chart/GraphPlots.h"

#include "chart/ChartGraph.h"

#include <algorithm>
#include <cstring>

namespace undarix::chart {

GraphPlotsRecord GraphPlots;

namespace {

bool ValidTrace(int trace) {
    return trace >= 0 && trace < kTraceCount;
}

void NotePending(int trace, int first, int last) {
    if (GraphPlots.redrawAll) return;
    if (GraphPlots.pendingCount == kPendingPlots) {
        GraphPlots.redrawAll = true;
        return;
    }
    GraphPlots.pending[GraphPlots.pendingCount++] = {trace, first, last};
}

} // namespace

int PlotXY(int trace, int first, int count) {
    if (!ValidTrace(trace) || count <= 0) return 0;
    const int last = std::min(first + count - 1, kTracePoints - 1);
    first = std::max(first, 0);
    if (last < first) return 0;
    std::uint8_t* marks = GraphPlots.marks[trace];
    marks[first] |= kPointDrawn;
    for (int i = first + 1; i <= last; ++i)
        marks[i] |= kPointDrawn | kJoinedToPrevious;
    GraphPlots.markedEnd[trace] = std::max(GraphPlots.markedEnd[trace], last + 1);
    NotePending(trace, first, last);
    ScheduleGraphRepaint();
    return ++GraphPlots.plotCount;
}

void DeleteGraphPlot() {
    for (int trace = 0; trace < kTraceCount; ++trace) {
        std::memset(GraphPlots.marks[trace], 0, std::size_t(GraphPlots.markedEnd[trace]));
        GraphPlots.markedEnd[trace] = 0;
    }
    GraphPlots.pendingCount = 0;
    GraphPlots.redrawAll = true;
    ScheduleGraphRepaint();
}

bool IsPointDrawn(int trace, int point) {
    return ValidTrace(trace) && point >= 0 && point < kTracePoints &&
           (GraphPlots.marks[trace][point] & kPointDrawn) != 0;
}

std::vector<PointRun> DrawnRuns(int trace) {
    std::vector<PointRun> runs;
    if (!ValidTrace(trace)) return runs;
    const std::uint8_t* marks = GraphPlots.marks[trace];
    for (int i = 0; i < GraphPlots.markedEnd[trace]; ++i) {
        if (!(marks[i] & kPointDrawn)) continue;
        if ((marks[i] & kJoinedToPrevious) && !runs.empty() && runs.back().last == i - 1)
            runs.back().last = i;
        else
            runs.push_back({i, i});
    }
    return runs;
}

void ResetGraphPlots() {
    for (int trace = 0; trace < kTraceCount; ++trace) {
        std::memset(GraphPlots.marks[trace], 0, std::size_t(GraphPlots.markedEnd[trace]));
        GraphPlots.markedEnd[trace] = 0;
    }
    GraphPlots.plotCount = 0;
    GraphPlots.pendingCount = 0;
    GraphPlots.redrawAll = true;
}

} // namespace undarix::chart
