#include "cli/InputFile.h"

#include "files/NativePath.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace undarix::cli {

InputKind KindOfInput(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "api") return InputKind::Capture;
    if (suffix == "csv") return InputKind::DataFile;
    return InputKind::Unknown;
}

InputKind KindOfContent(std::string_view firstBytes) {
    if (firstBytes.empty()) return InputKind::Unknown;
    for (const char c : firstBytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte != '\r' && byte != '\n' && byte != '\t' && (byte < 0x20 || byte > 0x7E))
            return InputKind::Capture;
    }
    return InputKind::DataFile;
}

QString OpenInput(const QString& path, QFile& file, struct stat& status) {
    if (path == "-") {
        if (::fstat(STDIN_FILENO, &status) != 0)
            return QString::fromLocal8Bit(std::strerror(errno));
        return file.open(STDIN_FILENO, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)
                   ? QString()
                   : file.errorString();
    }
    // O_NONBLOCK: opening a FIFO must not wait for a writer before it can be refused.
    const std::string native = files::NativePath(path);
    const int descriptor = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return QString::fromLocal8Bit(std::strerror(errno));
    ::fstat(descriptor, &status);
    const auto refuse = [&](const QString& why) {
        ::close(descriptor);
        return why;
    };
    if (S_ISDIR(status.st_mode)) return refuse("is a folder, not a file");
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode))
        return refuse("is a pipe, which may never end; give - to read standard input instead");
    if (S_ISCHR(status.st_mode))
        return refuse("is a device, which may never end; give - to read standard input instead");
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return refuse(file.errorString());
    return {};
}

} // namespace undarix::cli
