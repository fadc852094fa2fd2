#include "sim/PtyLink.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace undarix::sim {

PtyLink::~PtyLink() {
    Close();
}

bool PtyLink::Open(const std::string& linkPath) {
    Close();
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        error_ = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        master_ = slave_ = -1;
        return false;
    }
    // Raw both ways: no echo, no line editing, no CR/LF translation.
    termios raw{};
    tcgetattr(slave_, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    slavePath_ = name;

    if (!linkPath.empty()) {
        struct stat existing {};
        if (lstat(linkPath.c_str(), &existing) == 0) {
            if (!S_ISLNK(existing.st_mode)) {
                error_ = "will not replace " + linkPath + ": it is not a symbolic link";
                Close();
                return false;
            }
            unlink(linkPath.c_str());
        }
        if (symlink(slavePath_.c_str(), linkPath.c_str()) != 0) {
            error_ = "cannot make the link " + linkPath + ": " + std::strerror(errno);
            Close();
            return false;
        }
        linkPath_ = linkPath;
    }
    return true;
}

void PtyLink::Close() {
    if (!linkPath_.empty()) {
        unlink(linkPath_.c_str());
        linkPath_.clear();
    }
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
    master_ = slave_ = -1;
}

int PtyLink::Unread() const {
    int count = 0;
    if (slave_ < 0 || ioctl(slave_, FIONREAD, &count) != 0) return 0;
    return count;
}

void PtyLink::DiscardUnread() {
    if (slave_ >= 0) tcflush(slave_, TCIFLUSH);
}

} // namespace undarix::sim
