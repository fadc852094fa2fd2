#pragma once

// The two kinds of file the companion reads, told apart by their extension as playback tells
// them apart (here without regard to case), and the opening of an input: a file, or "-" for
// standard input. Inputs that never end (a FIFO, a character device) are refused by name;
// they can still be given as standard input.

#include <QFile>
#include <QString>

#include <string_view>
#include <sys/stat.h>

namespace undarix::cli {

enum class InputKind { Capture, DataFile, Unknown };

[[nodiscard]] InputKind KindOfInput(const QString& path);

// The kind of standard input, from its first bytes: a data file is printable text and line
// ends only, a capture file is not.
[[nodiscard]] InputKind KindOfContent(std::string_view firstBytes);

// Opens `path` ("-": standard input) for reading into `file`, and its status into `status`.
// Returns an empty text, or what is wrong.
[[nodiscard]] QString OpenInput(const QString& path, QFile& file, struct stat& status);

} // namespace undarix::cli
