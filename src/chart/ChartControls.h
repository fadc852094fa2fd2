#pragma once

// The chart page's controls: the data source, Start Plotting, stop-when-full, the eight
// trace device numbers, the Y range and offset and the time scale. They keep the chart
// settings of the program state and start a fresh chart when one of them changes.

#include "ui/Event.h"

namespace undarix::chart {

void PlotSourceSelect(ui::Event event);
void RawStartStop(ui::Event event);
void StopWhenFull(ui::Event event);
// The switch "Bind new units to free traces".
void BindNewUnitsSelect(ui::Event event);
void Trace1DeviceNumSelect(ui::Event event);
void Trace2DeviceNumSelect(ui::Event event);
void Trace3DeviceNumSelect(ui::Event event);
void Trace4DeviceNumSelect(ui::Event event);
void Trace5DeviceNumSelect(ui::Event event);
void Trace6DeviceNumSelect(ui::Event event);
void Trace7DeviceNumSelect(ui::Event event);
void Trace8DeviceNumSelect(ui::Event event);
void YAxisRange(ui::Event event);
void YAxisOffset(ui::Event event);
void RawPlotXAsis(ui::Event event);

// Binds the callbacks and help of the chart page and sets up its graph.
void BindChart();
// The chart's part of start-up: traces unused, the controls showing the chart settings, an
// empty graph.
void InitializeChart();

} // namespace undarix::chart
