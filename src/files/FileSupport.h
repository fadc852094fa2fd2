#pragma once

// What the data file, the capture file and playback share: the check of a chosen path, the
// opening of a file for writing, and the report of writes that fail and work again.

#include "files/RecordFile.h"
#include "ui/Role.h"

#include <QString>

#include <cstdint>

namespace undarix::files {

// A path longer than the 260-character name buffer is refused with a message, never cut.
[[nodiscard]] bool PathFitsBuffer(const QString& path);

// Opens for writing with the file's lock (see RecordFile). A failure is shown in a message
// pop-up with the system's reason, followed by `consequence`, and returns false.
[[nodiscard]] bool OpenForWriting(RecordFile& file, const QString& path, RecordFile::Mode mode,
                                  const QString& consequence);

// The message pop-up of a file that could not be opened for writing.
void ShowOpenFailure(const QString& path, const QString& why, const QString& consequence);

// How the writes to one file are going.
struct WriteHealth {
    bool failing = false;               // a failure has been shown; a good write ends it
    std::uint64_t lostSinceFailure = 0; // records that could not be written since then
    std::uint64_t lostTotal = 0;        // since the file was opened
    QString cause;                      // the system's words for the first failure
};

// Where a file's failures are shown: its indicator and the words for the file and its records.
struct WriteReport {
    ui::Role indicator;
    std::uint32_t normalColor;
    const char* what;    // "data file"
    const char* records; // "lines"
};

// `lost` records could not be written. The first failure of a run is shown at once (the
// indicator turns red, the status line names the file and the cause); the records lost after
// it are counted.
void NoteWriteFailed(const RecordFile& file, WriteHealth& health, const WriteReport& report,
                     std::uint64_t lost);
// A write went through: after a failure the status line says that writing works again and how
// many records were lost, and the indicator gets back its colour.
void NoteWriteWorked(const RecordFile& file, WriteHealth& health, const WriteReport& report);

} // namespace undarix::files
