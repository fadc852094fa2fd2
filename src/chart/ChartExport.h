#pragma once

// File > Export Chart...: the chart's graph as it is shown (traces, axes and cursors), as a
// PNG or SVG image or a PDF page, for a report.

#include <QString>

namespace undarix::chart {

// Menu callback: asks for the file (its type from the chosen filter or the name's extension)
// and writes it, with the wait cursor meanwhile.
void ExportChart();

// Writes the graph to `path` in the format its extension names (png, svg or pdf, in any case).
// Returns an empty text on success, else what went wrong.
[[nodiscard]] QString ExportChartTo(const QString& path);

} // namespace undarix::chart
