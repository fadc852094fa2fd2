#include "files/NativePath.h"

#include "files/codec/NativeName.h"

namespace undarix::files {

std::string NativePath(const QString& path) {
    return codec::EncodeNativeName(path.toStdU16String());
}

QString PathFromNative(std::string_view bytes) {
    return QString::fromStdU16String(codec::DecodeNativeName(bytes));
}

} // namespace undarix::files
