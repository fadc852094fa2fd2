#pragma once

// A path as the program holds it (QString) and as the system's calls want it (bytes), without
// loss for names that are not valid UTF-8 (see codec/NativeName.h).

#include <QString>

#include <string>
#include <string_view>

namespace undarix::files {

[[nodiscard]] std::string NativePath(const QString& path);
[[nodiscard]] QString PathFromNative(std::string_view bytes);

} // namespace undarix::files
