#include "chart/TraceBinding.h"

#include "chart/ChartFifo.h"
#include "chart/ChartState.h"
#include "chart/PlotPageRoles.h"
#include "chart/TracePlotting.h"
#include "core/ProgramState.h"
#include "live/DeviceTable.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <algorithm>
#include <array>
#include <string>

namespace undarix::chart {
namespace {

const std::array<std::string, 8>& TraceNumerics() {
    static const std::array<std::string, 8> names = ui::ArrayOfEight(roles::TraceSelectArray);
    return names;
}

bool Shown(int device) {
    return std::any_of(ChartFifo.begin(), ChartFifo.end(),
                       [device](const Trace& trace) { return trace.deviceNumber == device; });
}

// The lowest trace that shows no unit and whose numeric names none; -1 when all are in use.
int LowestFreeTrace() {
    for (int t = 0; t < kTraceCount; ++t)
        if (ChartFifo[t].deviceNumber == 0 && ui::GetInt(TraceNumerics()[t]) == 0) return t;
    return -1;
}

// The trace the user chose for this unit while it was away, or -1.
int TraceWaitingFor(int device) {
    for (int t = 0; t < kTraceCount; ++t)
        if (WaitsForItsUnit(t) && ui::GetInt(TraceNumerics()[t]) == device) return t;
    return -1;
}

void ShowOnTrace(int t, int device) {
    if (LayOutTrace(t) != 0) return;
    // What the trace held belongs to the unit it showed before.
    std::fill_n(ChartFifo[t].values, kTracePoints, kNoSample);
    ui::ShowStatus(QString("Trace %1 shows device %2").arg(t + 1).arg(device));
    ShowTraceNote();
}

} // namespace

void BindNewUnit(int slot) {
    if (slot < 0 || slot >= live::kTableSlots) return;
    const int device = live::OutputLine[slot].deviceNumber;
    // Device number 0 is what an unused trace holds; no unit goes by it on the chart.
    if (device == 0 || Shown(device)) return;
    // The user's choice holds whether or not new units are bound.
    if (const int t = TraceWaitingFor(device); t >= 0) return ShowOnTrace(t, device);
    if (!Chart.bindNewUnits) return;
    const int t = LowestFreeTrace();
    if (t < 0) return;
    ui::SetInt(TraceNumerics()[t], device);
    ShowOnTrace(t, device);
}

void BindTracesToHeardUnits() {
    bool bound = false;
    for (int trace = 0; trace < live::kTableSlots; ++trace) {
        const live::OutputLineRecord& record = live::OutputLine[trace];
        const int device = record.address != 0 ? int(record.deviceNumber) : 0;
        const std::string& role = TraceNumerics()[trace];
        if (device == 0 || ui::GetInt(role) == device) continue;
        ui::SetInt(role, device);
        ui::Dispatch(role, ui::Event::Commit);
        bound = true;
    }
    if (bound && !core::Program.PlottingRunning) {
        ui::SetInt(roles::RawStartStop, 1);
        ui::Dispatch(roles::RawStartStop, ui::Event::Commit);
    }
}

} // namespace undarix::chart
