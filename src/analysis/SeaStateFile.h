#pragma once

// The sea-state file beside the data file: while logging, each record goes, as it closes, to
// "site000-seastate.csv" next to "site000.csv" (one header line, one line per record), and
// when the data file rotates to the next number, so does the sea-state file.

#include "analysis/codec/SeaStateRecord.h"

#include <QString>

namespace undarix::analysis {

// "site000-seastate.csv" for "site000.csv" (the extension replaced; a name without one gets
// the ending added).
[[nodiscard]] QString SeaStateFileNameFor(const QString& dataFileName);

// Writes the record's line when logging is on, opening (or, after a rotation, changing to) the
// file of the present data file first.
void WriteSeaStateRecord(const codec::SeaStateRecord& record);
// Closes the file when logging has stopped.
void CheckSeaStateFile();
void CloseSeaStateFile();

// The file being written, empty when none.
[[nodiscard]] QString SeaStateFileName();

} // namespace undarix::analysis
