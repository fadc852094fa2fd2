#pragma once

// The graph's two cursors and their read-outs. The user drags them on the graph; the
// analysis takes the stretch between their times.

#include "chart/ChartState.h"
#include "ui/Event.h"

namespace undarix::chart {

// Moves cursor 0 or 1 (graph coordinates, held inside the graph) and shows it there. The
// read-outs follow when the graph reports the move (`GraphOutput`).
void SetGraphCursor(int cursor, double x, double y);
[[nodiscard]] CursorPosition GetGraphCursor(int cursor);

// Shows the cursors' times (x times the time scale, seconds) and levels (y times the Y range
// plus the Y offset, meters) in the four read-outs.
void UpdateCursors();

// The graph's callback: a cursor was moved (value change while dragging, commit on release).
void GraphOutput(ui::Event event);

} // namespace undarix::chart
