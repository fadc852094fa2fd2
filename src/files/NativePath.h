#pragma once

// A path as the program holds it (QString) and as the system's calls want it (bytes), without
// loss for names that are not valid UTF-8 (see codec/NativeName.h).

#include <QString>

#include <string>
#include <string_view>

namespace undarix::files {

[[nodiscard]] std::string NativePath(const QString& path);
[[nodiscard]] QString PathFromNative(std::string_view bytes);

// The system's own answers for such a path (Qt's file classes would recode its bytes).
[[nodiscard]] bool PathExists(const QString& path);
// The folder part of a path ("." for a bare name), in bytes.
[[nodiscard]] std::string NativeFolderOf(const std::string& native);
// Makes the folder of `path` and the folders above it that are missing; false when one
// cannot be made.
bool MakeFolderOf(const QString& path);

} // namespace undarix::files
