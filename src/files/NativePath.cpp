#include "files/NativePath.h"

#include "files/codec/NativeName.h"

#include <cerrno>
#include <sys/stat.h>

namespace undarix::files {

std::string NativePath(const QString& path) {
    return codec::EncodeNativeName(path.toStdU16String());
}

QString PathFromNative(std::string_view bytes) {
    return QString::fromStdU16String(codec::DecodeNativeName(bytes));
}

bool PathExists(const QString& path) {
    struct stat status {};
    return ::stat(NativePath(path).c_str(), &status) == 0;
}

std::string NativeFolderOf(const std::string& native) {
    const std::size_t slash = native.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : native.substr(0, slash);
}

bool MakeFolderOf(const QString& path) {
    const std::string folder = NativeFolderOf(NativePath(path));
    for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string part = folder.substr(0, end);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
        if (end == std::string::npos) return true;
    }
}

} // namespace undarix::files
