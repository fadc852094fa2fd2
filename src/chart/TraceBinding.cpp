#include "chart/TraceBinding.h"

#include "chart/PlotPageRoles.h"
#include "core/ProgramState.h"
#include "live/DeviceTable.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <string>

namespace undarix::chart {

void BindTracesToHeardUnits() {
    bool bound = false;
    for (int trace = 0; trace < live::kTableSlots; ++trace) {
        const live::OutputLineRecord& record = live::OutputLine[trace];
        const int device = record.address != 0 ? int(record.deviceNumber) : 0;
        const std::string role = ui::ArrayItemName(roles::TraceSelectArray, trace);
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
