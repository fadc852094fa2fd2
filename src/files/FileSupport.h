#pragma once

// What the data file, the capture file and playback share: the check of a chosen path, the
// opening of a file for writing, and the one-time report of failing writes.

#include "ui/Role.h"

#include <QFile>
#include <QString>

#include <cstdint>

namespace undarix::files {

// A path longer than the 260-character name buffer is refused with a message, never cut.
[[nodiscard]] bool PathFitsBuffer(const QString& path);

// Opens write-only, truncating, without buffering in the program (one write call per line or
// byte reaches the system at once). A failure is shown in a message pop-up, followed by
// `consequence`, and returns false.
[[nodiscard]] bool OpenForWriting(QFile& file, const QString& path, const QString& consequence);

// Writes the bytes with one call. A failure is shown once (the indicator turns red and the
// status bar says why) and the next writes keep trying; the first good write after a failure
// gives the indicator back its colour. Returns whether all bytes were written.
bool WriteChecked(QFile& file, const char* data, qint64 count, bool& failing, ui::Role indicator,
                  std::uint32_t normalColor, const QString& what);

} // namespace undarix::files
