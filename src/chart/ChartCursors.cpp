#include "chart/ChartCursors.h"

#include "chart/ChartGraph.h"
#include "chart/PlotPageRoles.h"
#include "core/ProgramState.h"
#include "ui/Controls.h"

#include <algorithm>

namespace undarix::chart {
namespace {

bool ValidCursor(int cursor) {
    return cursor >= 0 && cursor < kCursorCount;
}

} // namespace

void SetGraphCursor(int cursor, double x, double y) {
    if (!ValidCursor(cursor)) return;
    Chart.cursor[cursor] = {std::clamp(x, 0.0, kGraphWidth), std::clamp(y, 0.0, 1.0)};
    ShowGraphCursors();
}

CursorPosition GetGraphCursor(int cursor) {
    return ValidCursor(cursor) ? Chart.cursor[cursor] : CursorPosition{};
}

void UpdateCursors() {
    using core::Program;
    const ui::Role time[kCursorCount] = {roles::LeftXAxis, roles::RightXAxis};
    const ui::Role level[kCursorCount] = {roles::LeftYAxis, roles::RightYAxis};
    for (int c = 0; c < kCursorCount; ++c) {
        const CursorPosition at = GetGraphCursor(c);
        ui::SetReal(time[c], at.x * Program.TimeScale);
        ui::SetReal(level[c], at.y * double(Program.YRange) + double(Program.YOffset));
    }
}

void GraphOutput(ui::Event event) {
    if (event == ui::Event::Commit || event == ui::Event::ValueChanged) UpdateCursors();
}

} // namespace undarix::chart
