#pragma once

// Export Spectrum... on the analysis page: the spectrum the graph shows, as a comma-separated
// file of frequency and value, with the run's results as comment lines above.

#include "ui/Event.h"

#include <QString>

namespace undarix::analysis {

// Callback of the Export Spectrum button: asks for the file and writes it.
void ExportSpectrum(ui::Event event);

// Writes the shown spectrum to `path`. Returns an empty text on success, else what went wrong.
[[nodiscard]] QString ExportSpectrumTo(const QString& path);

} // namespace undarix::analysis
