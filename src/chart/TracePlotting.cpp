#include "chart/TracePlotting.h"

#include "chart/ChartCursors.h"
#include "chart/ChartFifo.h"
#include "chart/ChartGraph.h"
#include "chart/ChartState.h"
#include "chart/GraphPlots.h"
#include "chart/PlotPageRoles.h"
#include "chart/codec/LocalCalendar.h"
#include "core/FrameBuffers.h"
#include "core/ProgramState.h"
#include "live/DeviceTable.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <string>

namespace undarix::chart {
namespace {

using core::Program;
using live::OutputLineRecord;

// Time stamps further than this from the start are held here (seconds).
constexpr std::int64_t kLatestOffset = kTracePoints;

// The numerics' names, built once: the receive path addresses them without building strings.
const std::array<std::string, 8>& TraceNumerics() {
    static const std::array<std::string, 8> names = ui::ArrayOfEight(roles::TraceSelectArray);
    return names;
}

bool ValidSlot(int slot) {
    return slot >= 0 && slot < live::kTableSlots;
}

int Capacity(const Trace& trace) {
    return int(trace.capacity);
}

// Device number 0 marks an unused trace; units are numbered from 1, so 0 is never looked up.
int TraceOfDevice(int deviceNumber) {
    if (deviceNumber == 0) return -1;
    for (int t = 0; t < kTraceCount; ++t)
        if (ChartFifo[t].deviceNumber == deviceNumber) return t;
    return -1;
}

void MarkNoSample(Trace& trace, int count) {
    std::fill_n(trace.values, std::clamp(count, 0, kTracePoints), kNoSample);
}

void ShowStartTime(std::int64_t start) {
    const CalendarTime t = LocalCalendarFromAbsoluteTime(start);
    char text[48];
    std::snprintf(text, sizeof text, "%04i-%02i-%02iT%02i:%02i:%02i", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    ui::SetText(roles::StartTimeText, QString::fromLatin1(text));
}

// The start of a chart that a single sample started over, with its seconds as a real number.
void ShowStartTimeWithFraction(std::int64_t start) {
    const CalendarTime t = LocalCalendarFromAbsoluteTime(start);
    // Qt's printf writes a decimal point in every locale, as the other time stamps have.
    ui::SetText(roles::StartTimeText,
                QString::asprintf("%04i-%02i-%02iT%02i:%02i:%2.3f", t.year, t.month, t.day, t.hour,
                                  t.minute, double(t.second)));
}

double PlotY(float value) {
    return (double(value) - Program.YOffset) / Program.YRange;
}

// Draws a segment of a trace. Points at or past the capacity have no x coordinate and are not
// drawn (the time scale 0 lays out none).
void DrawSegment(int t, int first, int count) {
    Trace& trace = ChartFifo[t];
    const int end = std::min(first + count, Capacity(trace));
    if (end <= first) return;
    if (const int handle = PlotXY(t, first, end - first)) trace.plotHandle = handle;
}

// Lays the trace out again when its unit's rate changed; false when the unit is gone.
bool MatchRate(int t, const OutputLineRecord& record) {
    if (ChartFifo[t].sampleRate == record.sampleRate) return true;
    return SetUpTrace(t) == 0;
}

// The chart's first packet after a reset fixes its start.
void StartIfNew(std::int64_t stamp) {
    if (!Program.NewChart) return;
    Program.NewChart = 0;
    ShowStartTime(stamp);
    Chart.ChartCtr = double(stamp);
}

// A trace set back to 0 because its unit left the table is said once in the status bar; the
// traces a chart reset clears are said in one line.
struct ClearedTraceLines {
    bool collecting = false;
    QStringList lines;
    QString note[kTraceCount]; // kept in the trace note until the trace shows a unit again
};

ClearedTraceLines& ClearedTraces() {
    static ClearedTraceLines cleared;
    return cleared;
}

void TellCleared(int t, int device) {
    const QString line =
        QString("Trace %1: device %2 is not in the table; trace cleared").arg(t + 1).arg(device);
    ClearedTraces().note[t] = line + '.';
    if (ClearedTraces().collecting) {
        ClearedTraces().lines << line;
        return;
    }
    ui::ShowStatus(line);
    ShowTraceNote();
}

void TellClearedTraces() {
    ClearedTraceLines& cleared = ClearedTraces();
    if (!cleared.lines.isEmpty()) ui::ShowStatus(cleared.lines.join(". "));
    cleared.lines.clear();
    cleared.collecting = false;
    ShowTraceNote();
}

CalendarTime StampOf(const OutputLineRecord& record) {
    return {record.year, record.month, record.day, record.hour, record.minute, record.second};
}

// Single-sample units may send a time record with fields out of range; each is forced into
// its range rather than carried over.
CalendarTime ForcedStampOf(const OutputLineRecord& record) {
    CalendarTime t = StampOf(record);
    if (t.year < 2000 || t.year > 2099) t.year = 2000;
    if (t.month < 1 || t.month > 12) t.month = 1;
    if (t.day < 1 || t.day > 31) t.day = 1;
    if (t.hour < 0 || t.hour > 23) t.hour = 0;
    if (t.minute < 0 || t.minute > 59) t.minute = 0;
    if (t.second < 0 || t.second > 59) t.second = 0;
    return t;
}

} // namespace

void ChartReset() {
    DeleteGraphPlot();
    const int timeScale = std::max(0, ui::GetInt(roles::RawPlotXAsis));
    Program.TimeScale = timeScale;
    Chart.xGain = timeScale == 0 ? 0.25 : double(timeScale);
    ApplyGraphAxes();
    UpdateCursors();
    ui::SetText(roles::StartTimeText, kNoStartTime);
    Program.NewChart = 1;
    ClearedTraces().collecting = true;
    for (int t = 0; t < kTraceCount; ++t)
        (void)SetUpTrace(t);
    TellClearedTraces();
}

int SetUpTrace(int t) {
    if (t < 0 || t >= kTraceCount) return 1;
    for (Trace& trace : ChartFifo)
        if (trace.deviceNumber != 0) MarkNoSample(trace, Capacity(trace));
    return LayOutTrace(t);
}

int LayOutTrace(int t) {
    if (t < 0 || t >= kTraceCount) return 1;
    Trace& trace = ChartFifo[t];
    const int wanted = std::clamp(ui::GetInt(TraceNumerics()[t]), 0, 255);
    trace.deviceNumber = wanted;
    trace.tableIndex = kNotInTable;
    if (trace.deviceNumber != 0) {
        for (int slot = 0; slot < live::kTableSlots; ++slot) {
            if (live::OutputLine[slot].deviceNumber != trace.deviceNumber) continue;
            trace.tableIndex = std::uint8_t(slot);
            break;
        }
    }
    if (trace.tableIndex == kNotInTable) {
        trace.deviceNumber = 0;
        if (wanted != 0 && Chart.handChosen[t]) return 1; // waits for its unit
        Chart.handChosen[t] = false;
        ui::SetInt(TraceNumerics()[t], 0);
        if (wanted != 0) TellCleared(t, wanted);
        return 1;
    }

    const int rate = live::OutputLine[trace.tableIndex].sampleRate;
    const int timeScale = std::max(0, Program.TimeScale);
    const int points = std::min(timeScale * 16 * rate, kTracePoints);
    trace.sampleRate = std::uint8_t(rate);
    trace.capacity = float(points);
    // A unit at rate 0, or the time scale 0, has no points to lay out (and no step).
    if (points > 0) {
        const float step = 1.0f / float(timeScale * rate);
        float x = 0.0f; // summed in single precision, as the instrument programs lay it out
        for (int k = 0; k < points; ++k) {
            trace.plotX[k] = x;
            x += step;
        }
    }
    return 0;
}

void PlotData(int slot) {
    if (!ValidSlot(slot)) return;
    const OutputLineRecord& record = live::OutputLine[slot];
    const int t = TraceOfDevice(record.deviceNumber);
    // A unit reporting rate 0 has no place on the time axis.
    if (t < 0 || record.sampleRate == 0) return;
    if (!MatchRate(t, record)) return;
    Trace& trace = ChartFifo[t];
    const int count = std::min(record.sampleCount, int(core::kWorkValues));
    if (count <= 0) return;

    const std::int64_t stamp = AbsoluteTimeFromLocalCalendar(StampOf(record));
    StartIfNew(stamp);
    std::int64_t offset = stamp - std::int64_t(Chart.ChartCtr);
    offset = std::clamp<std::int64_t>(offset, -1, kLatestOffset);
    int p = int(offset * record.sampleRate);

    if (p + count > Capacity(trace)) {
        if (Program.StopWhenFull) {
            StopPlotting();
            return;
        }
        DeleteGraphPlot();
        ShowStartTime(stamp);
        Chart.ChartCtr = double(stamp);
        p = 0;
        for (Trace& used : ChartFifo)
            if (used.deviceNumber != 0) MarkNoSample(used, kTracePoints);
    }
    if (p < 0) return; // older than the chart's start

    const bool contiguous = trace.writeIndex == p;
    trace.writeIndex = p;
    for (int k = 0; k < count; ++k) {
        trace.values[trace.writeIndex] = core::WorkValue[k];
        trace.plotY[trace.writeIndex] = PlotY(core::WorkValue[k]);
        ++trace.writeIndex;
    }
    // A block right after the last one joins it; after a gap the line breaks. The point before
    // must be on the graph now: after the plots were deleted it may be a stale value.
    if (p > 0 && contiguous && IsPointDrawn(t, p - 1))
        DrawSegment(t, p - 1, count + 1);
    else
        DrawSegment(t, p, count);
}

void PlotContData(int slot) {
    if (!ValidSlot(slot)) return;
    const OutputLineRecord& record = live::OutputLine[slot];
    const int t = TraceOfDevice(record.deviceNumber);
    if (t < 0 || record.sampleRate == 0) return;
    if (!MatchRate(t, record)) return;
    Trace& trace = ChartFifo[t];
    const int rate = record.sampleRate;
    const int count = record.sampleCount;

    const std::int64_t stamp = AbsoluteTimeFromLocalCalendar(ForcedStampOf(record));
    StartIfNew(stamp);
    double q = double(stamp - std::int64_t(Chart.ChartCtr)) * rate + count;
    q = std::clamp(q, -1.0, double(kLatestOffset));
    int p = int(q);

    if (p >= Capacity(trace)) {
        if (Program.StopWhenFull) {
            StopPlotting();
            return;
        }
        const std::int64_t start = stamp + count / rate;
        ShowStartTimeWithFraction(start);
        Chart.ChartCtr = double(start);
        // The new start is a whole second; the sample lies the rest of its count after it.
        p = count >= 0 ? count % rate : 0;
        DeleteGraphPlot();
        // As for a block: what the traces held belongs to the chart that was, and the analysis
        // must see only the points drawn since.
        for (Trace& used : ChartFifo)
            if (used.deviceNumber != 0) MarkNoSample(used, kTracePoints);
    }
    if (p < 0) return;

    const bool contiguous = trace.writeIndex == p - 1;
    trace.writeIndex = p;
    trace.values[p] = core::WorkValue[0];
    trace.plotY[p] = PlotY(core::WorkValue[0]);
    if (p > 0 && contiguous && IsPointDrawn(t, p - 1))
        DrawSegment(t, p - 1, 2);
    else
        DrawSegment(t, p, 1);
}

void ForgetTraceNotes() {
    ClearedTraces() = ClearedTraceLines{};
}

bool WaitsForItsUnit(int t) {
    return t >= 0 && t < kTraceCount && Chart.handChosen[t] && ChartFifo[t].deviceNumber == 0 &&
           ui::GetInt(TraceNumerics()[t]) != 0;
}

void ShowTraceNote() {
    QStringList lines;
    for (int t = 0; t < kTraceCount; ++t) {
        QString& cleared = ClearedTraces().note[t];
        const int device = ui::GetInt(TraceNumerics()[t]);
        if (device != 0) cleared.clear();
        // Samples go to the first trace naming their unit; a later one stays empty, so say so
        // rather than let it look broken or, while it waits, blame a unit the table holds.
        int first = 0;
        while (first < t && (device == 0 || ui::GetInt(TraceNumerics()[first]) != device))
            ++first;
        if (first < t)
            lines << QString("Trace %1 repeats device %2 of Trace %3: only Trace %3 draws it.")
                         .arg(t + 1)
                         .arg(device)
                         .arg(first + 1);
        else if (WaitsForItsUnit(t))
            lines << QString("Trace %1 waits for device %2: it is not in the table yet.")
                         .arg(t + 1)
                         .arg(ui::GetInt(TraceNumerics()[t]));
        else if (!cleared.isEmpty())
            lines << cleared;
    }
    const QString note = lines.join('\n');
    if (ui::GetText(roles::TraceNote) != note) ui::SetText(roles::TraceNote, note);
}

void StopPlotting() {
    Program.PlottingRunning = 0;
    ui::SetInt(roles::RawStartStop, 0);
}

} // namespace undarix::chart
