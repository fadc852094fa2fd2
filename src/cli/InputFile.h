#pragma once

// The two kinds of file the companion reads, told apart by their extension as playback tells
// them apart (here without regard to case).

#include <QString>

namespace undarix::cli {

enum class InputKind { Capture, DataFile, Unknown };

[[nodiscard]] InputKind KindOfInput(const QString& path);

} // namespace undarix::cli
