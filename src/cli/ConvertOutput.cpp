#include "cli/ConvertOutput.h"

#include "files/NativePath.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace undarix::cli {
namespace {

constexpr std::size_t kHeldBytes = 256 * 1024;
constexpr int kTemporaryTries = 100;

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The temporary file's name for the signal handlers, which may only call async-signal-safe
// functions: unlink() and raise() from a fixed buffer.
char temporaryForSignals[4096] = {};
constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previousActions[std::size(kCleanedSignals)] = {};

extern "C" void RemoveTemporaryAndDie(int signal) {
    if (temporaryForSignals[0] != '\0') ::unlink(temporaryForSignals);
    std::signal(signal, SIG_DFL);
    ::raise(signal);
}

void GuardTemporary(const std::string& native) {
    if (native.size() >= sizeof temporaryForSignals) return;
    std::memcpy(temporaryForSignals, native.c_str(), native.size() + 1);
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryAndDie;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kCleanedSignals); ++i)
        sigaction(kCleanedSignals[i], &action, &previousActions[i]);
}

void ReleaseTemporary() {
    if (temporaryForSignals[0] == '\0') return;
    for (std::size_t i = 0; i < std::size(kCleanedSignals); ++i)
        sigaction(kCleanedSignals[i], &previousActions[i], nullptr);
    temporaryForSignals[0] = '\0';
}

bool SyncFolder(const QString& folder) {
    const std::string native = files::NativePath(folder);
    const int descriptor = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return false;
    const bool ok = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return ok;
}

} // namespace

bool IsSameFile(const QString& path, const struct stat& status) {
    struct stat other {};
    const std::string native = files::NativePath(path);
    return ::stat(native.c_str(), &other) == 0 && other.st_dev == status.st_dev &&
           other.st_ino == status.st_ino;
}

ConvertOutput::~ConvertOutput() {
    Abandon();
}

QString ConvertOutput::Name() const {
    return output_ == "-" ? QString("standard output") : output_;
}

bool ConvertOutput::OpenStream(int descriptor, const QString& name, bool closeAtEnd) {
    stream_ = true;
    file_.Adopt(descriptor, name, closeAtEnd);
    return true;
}

bool ConvertOutput::Open(const QString& output) {
    output_ = output;
    if (output == "-") return OpenStream(STDOUT_FILENO, Name(), false);
    const std::string native = files::NativePath(output);
    struct stat status {};
    if (::stat(native.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            error_ = "is a folder, not a file";
            return false;
        }
        if (!S_ISREG(status.st_mode)) {
            // A device or a pipe takes the lines as they come.
            const int descriptor = ::open(native.c_str(), O_WRONLY | O_CLOEXEC);
            if (descriptor < 0) {
                error_ = SystemError(errno);
                return false;
            }
            return OpenStream(descriptor, output, true);
        }
    }
    // The file the temporary one will replace: a symbolic link stays, its target is renewed.
    const QFileInfo info(output);
    target_ = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
    const QFileInfo target(target_);
    for (int n = 0; n < kTemporaryTries; ++n) {
        const QString candidate = target.dir().filePath(
            QString(".%1.partial-%2-%3").arg(target.fileName()).arg(::getpid()).arg(n));
        if (file_.Open(candidate, files::RecordFile::Mode::CreateNew)) {
            temporary_ = candidate;
            GuardTemporary(files::NativePath(candidate));
            file_.HoldUpTo(kHeldBytes);
            return true;
        }
        if (file_.ErrorCode() != EEXIST) break;
    }
    error_ = file_.ErrorText();
    return false;
}

bool ConvertOutput::Finish() {
    if (IsStream()) {
        const bool ok = file_.Close();
        if (!ok) error_ = file_.ErrorText();
        return ok;
    }
    // The permissions of the file replaced are kept.
    struct stat replaced {};
    if (::stat(files::NativePath(target_).c_str(), &replaced) == 0)
        file_.SetPermissions(replaced.st_mode & 07777);
    if (!file_.Close()) {
        error_ = file_.ErrorText();
        Abandon();
        return false;
    }
    if (::rename(files::NativePath(temporary_).c_str(), files::NativePath(target_).c_str()) != 0) {
        error_ = SystemError(errno);
        Abandon();
        return false;
    }
    temporary_.clear();
    ReleaseTemporary();
    (void)SyncFolder(QFileInfo(target_).absolutePath()); // the new name survives a power cut
    return true;
}

void ConvertOutput::Abandon() {
    (void)file_.Close();
    if (temporary_.isEmpty()) return;
    ::unlink(files::NativePath(temporary_).c_str());
    temporary_.clear();
    ReleaseTemporary();
}

} // namespace undarix::cli
