#include "files/RecordFile.h"

#include "files/NativePath.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace undarix::files {
namespace {

WriteCall& CurrentWriteCall() {
    static WriteCall call;
    return call;
}

long SystemWrite(int descriptor, const void* data, std::size_t count) {
    const WriteCall& call = CurrentWriteCall();
    return call ? call(descriptor, data, count) : long(::write(descriptor, data, count));
}

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

void SetWriteCall(WriteCall call) {
    CurrentWriteCall() = std::move(call);
}

RecordFile::~RecordFile() {
    Close();
}

bool RecordFile::Fail(const QString& what, int code) {
    error_ = what;
    errorCode_ = code;
    return false;
}

bool RecordFile::FailWith(int code) {
    return Fail(SystemError(code), code);
}

bool RecordFile::Open(const QString& path, Mode mode) {
    Close();
    error_.clear();
    errorCode_ = 0;
    const std::string native = NativePath(path);
    struct stat before {};
    const bool existed = ::stat(native.c_str(), &before) == 0;
    // Never O_TRUNC here: a file that another writer holds must not be emptied under it.
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::Append ? O_APPEND : 0) |
                      (mode == Mode::CreateNew ? O_EXCL : 0);
    // Opened without waiting: a pipe that nothing reads is refused at once instead of holding
    // the program in open() where not even Ctrl-C ends it.
    const int descriptor = ::open(native.c_str(), flags | O_NONBLOCK, 0666);
    if (descriptor < 0) {
        const int error = errno;
        struct stat named {};
        if (error == ENXIO && ::stat(native.c_str(), &named) == 0 && S_ISFIFO(named.st_mode))
            return Fail("it is a pipe that nothing reads", error);
        return FailWith(error);
    }
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(descriptor);
        if (error != EWOULDBLOCK) return FailWith(error);
        return Fail("it is being written by another program (the file is locked)", error);
    }
    struct stat opened {};
    ::fstat(descriptor, &opened);
    regular_ = S_ISREG(opened.st_mode);
    if (mode == Mode::Replace && regular_ && ::ftruncate(descriptor, 0) != 0) {
        const int error = errno;
        ::close(descriptor);
        return FailWith(error);
    }
    descriptor_ = descriptor;
    owned_ = true;
    closeAtEnd_ = true;
    name_ = path;
    size_ = regular_ ? std::int64_t(::lseek(descriptor, 0, SEEK_END)) : 0;
    held_.clear();
    unsynced_ = false;
    folderUnsynced_ = regular_ && !existed;
    return true;
}

void RecordFile::Adopt(int descriptor, const QString& name, bool closeAtEnd) {
    Close();
    error_.clear();
    errorCode_ = 0;
    descriptor_ = descriptor;
    owned_ = false;
    closeAtEnd_ = closeAtEnd;
    struct stat adopted {};
    regular_ = ::fstat(descriptor, &adopted) == 0 && S_ISREG(adopted.st_mode);
    name_ = name;
    size_ = regular_ ? std::int64_t(::lseek(descriptor, 0, SEEK_CUR)) : 0;
    held_.clear();
    unsynced_ = false;
    folderUnsynced_ = false;
}

bool RecordFile::Close() {
    if (descriptor_ < 0) return true;
    bool ok = Flush();
    if (owned_) ok = Sync() && ok;
    if (closeAtEnd_) ::close(descriptor_); // lets go of the lock as well
    descriptor_ = -1;
    owned_ = false;
    held_.clear();
    holdLimit_ = 0;
    return ok;
}

void RecordFile::HoldUpTo(std::size_t bytes) {
    holdLimit_ = bytes;
    held_.reserve(bytes);
}

bool RecordFile::Append(const char* data, std::size_t count) {
    if (descriptor_ < 0) return Fail("the file is not open");
    if (holdLimit_ == 0) return WriteWhole(data, count);
    if (held_.size() + count > holdLimit_ && !Flush()) return false;
    if (count > holdLimit_) return WriteWhole(data, count);
    held_.append(data, count);
    return true;
}

bool RecordFile::Flush() {
    if (held_.empty()) return true;
    const bool ok = WriteWhole(held_.data(), held_.size());
    held_.clear();
    return ok;
}

// One record (or a run of held ones) with one call; the rest of a short write is tried once
// more, since a disk that is merely slow to free space may take it. What stays cut short is
// taken back.
bool RecordFile::WriteWhole(const char* data, std::size_t count) {
    std::size_t written = 0;
    while (written < count) {
        const long n = SystemWrite(descriptor_, data + written, count - written);
        if (n > 0) {
            written += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        const int error = n < 0 ? errno : ENOSPC; // a write of 0 bytes to a file: no room
        if (written > 0 && regular_ && !TruncateTo(size_)) return false;
        return FailWith(error);
    }
    size_ += std::int64_t(count);
    unsynced_ = true;
    return true;
}

bool RecordFile::CutBackTo(std::int64_t size) {
    if (descriptor_ < 0) return Fail("the file is not open");
    if (size >= size_) {
        held_.resize(std::min(held_.size(), std::size_t(size - size_)));
        return true;
    }
    held_.clear();
    return TruncateTo(size);
}

bool RecordFile::TruncateTo(std::int64_t size) {
    unsynced_ = true;
    if (!regular_) return Fail("the file cannot be cut back");
    if (::ftruncate(descriptor_, off_t(size)) != 0 ||
        ::lseek(descriptor_, off_t(size), SEEK_SET) < 0)
        return Fail(QString("a torn record could not be taken back: %1").arg(SystemError(errno)),
                    errno);
    size_ = size;
    return true;
}

RecordFile::Whereabouts RecordFile::Where() const {
    if (descriptor_ < 0 || !owned_ || !regular_) return Whereabouts::AtItsName;
    struct stat open {};
    if (::fstat(descriptor_, &open) != 0 || open.st_nlink == 0) return Whereabouts::Removed;
    struct stat named {};
    if (::stat(NativePath(name_).c_str(), &named) != 0 || named.st_dev != open.st_dev ||
        named.st_ino != open.st_ino)
        return Whereabouts::Moved;
    return Whereabouts::AtItsName;
}

void RecordFile::SetPermissions(unsigned mode) {
    if (descriptor_ >= 0 && owned_) (void)::fchmod(descriptor_, mode_t(mode));
}

bool RecordFile::Sync() {
    if (descriptor_ < 0 || !owned_ || !regular_) return true;
    if (unsynced_) {
        if (::fdatasync(descriptor_) != 0) return FailWith(errno);
        unsynced_ = false;
    }
    return !folderUnsynced_ || SyncFolder();
}

// A new file survives a power cut only once the folder that names it is on the disk too.
bool RecordFile::SyncFolder() {
    const std::string folder = NativeFolderOf(NativePath(name_));
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return FailWith(errno);
    const bool ok = ::fsync(descriptor) == 0;
    const int error = errno;
    ::close(descriptor);
    if (!ok) return FailWith(error);
    folderUnsynced_ = false;
    return true;
}

} // namespace undarix::files
