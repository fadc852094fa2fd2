#pragma once

// The settings record beside the data file: "site000-config.jsonl" next to "site000.csv", one
// JSON line for each configuration read or confirmed write, whole lines only. It rotates with
// the data file, and a new file of the series begins with the last line of every unit on
// record, so that each data file has its units' settings beside it.

#include <QString>

#include <cstdint>
#include <string>

namespace undarix::files {

[[nodiscard]] QString ConfigRecordFileNameFor(const QString& dataFileName);

// Keeps `line` (one JSON object, no line end) as the unit's latest and, while a data file is
// open, appends it to the record beside it.
void RecordUnitSettings(std::uint64_t address, const std::string& line);

// Follows the data file: a new file of the series gets its record, with the units' latest
// lines; no data file, no record open.
void FollowDataFile();

// Writes the lines that a full disk or an unopenable record kept back; called after each data
// line the disk took.
void WriteHeldSettings();

// The open record's name; empty when none is open.
[[nodiscard]] QString ConfigRecordFileName();

void ResetConfigRecordFile();

} // namespace undarix::files
