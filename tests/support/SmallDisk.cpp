#include "support/SmallDisk.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace undarix::testing {

SmallDisk::SmallDisk(int kibibytes) {
    if (!folder_.isValid()) {
        unavailable_ = "no temporary folder";
        return;
    }
    if (::geteuid() != 0) {
        unavailable_ = "mounting a small file system needs root";
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(kibibytes) + "k";
    if (::mount("undarix-test", QFile::encodeName(folder_.path()).constData(), "tmpfs", 0,
                options.constData()) != 0) {
        unavailable_ = QString("a tmpfs cannot be mounted here: %1").arg(std::strerror(errno));
        return;
    }
    mounted_ = true;
}

SmallDisk::~SmallDisk() {
    if (mounted_) ::umount2(QFile::encodeName(folder_.path()).constData(), MNT_DETACH);
}

void SmallDisk::Fill(int bytesLeft) {
    // A reserve the size of what is to stay free, the filler up to the brim, then the
    // reserve goes.
    const QByteArray reserve = QFile::encodeName(Path(".reserve"));
    const QByteArray filler = QFile::encodeName(Path(".filler"));
    const std::string zeros(4096, '\0');
    const int reserveFd = ::open(reserve.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    for (int written = 0; written < bytesLeft; written += int(zeros.size()))
        if (::write(reserveFd, zeros.data(), zeros.size()) <= 0) break;
    ::close(reserveFd);
    const int fillerFd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    while (::write(fillerFd, zeros.data(), zeros.size()) > 0) {
    }
    while (::write(fillerFd, zeros.data(), 1) > 0) {
    }
    ::close(fillerFd);
    ::unlink(reserve.constData());
}

void SmallDisk::Free() {
    ::unlink(QFile::encodeName(Path(".filler")).constData());
}

} // namespace undarix::testing
