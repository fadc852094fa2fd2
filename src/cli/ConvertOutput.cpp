#include "cli/ConvertOutput.h"

#include "files/NativePath.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
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

bool SyncFolder(const std::string& native) {
    const int descriptor = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return false;
    const bool ok = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return ok;
}

constexpr int kLinkHops = 40; // as the system allows

// The file a chain of symbolic links ends at, in bytes (the name itself when it is no link);
// empty when the chain loops or runs too long.
std::string FinalTarget(std::string path) {
    for (int hop = 0; hop < kLinkHops; ++hop) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
        std::string link(std::size_t(PATH_MAX), '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n < 0) return path;
        link.resize(std::size_t(n));
        path = link.front() == '/' ? link : files::NativeFolderOf(path) + "/" + link;
    }
    return {};
}

std::string BaseNameOf(const std::string& native) {
    const std::size_t slash = native.find_last_of('/');
    return slash == std::string::npos ? native : native.substr(slash + 1);
}

// Temporary files of conversions that were killed (SIGKILL, a power cut) and can never be
// finished: nobody holds their lock any more. Those of a conversion still running are left.
void RemoveStalePartials(const std::string& folder, const std::string& baseName) {
    const std::string prefix = "." + baseName + ".partial-";
    DIR* entries = ::opendir(folder.c_str());
    if (!entries) return;
    while (const dirent* entry = ::readdir(entries)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string path = folder + "/" + name;
        const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (descriptor < 0) continue;
        struct stat status {};
        if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
            ::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(descriptor);
    }
    ::closedir(entries);
}

// Names the system gives the standard output of the process itself.
bool NamesStandardOutput(const QString& output) {
    if (output == "/dev/stdout" || output == "/dev/fd/1" || output == "/proc/self/fd/1")
        return true;
    struct stat out {};
    return ::fstat(STDOUT_FILENO, &out) == 0 && !S_ISREG(out.st_mode) && IsSameFile(output, out);
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
    if (output == "-" || NamesStandardOutput(output))
        return OpenStream(STDOUT_FILENO, Name(), false);
    const std::string native = files::NativePath(output);
    struct stat status {};
    if (::stat(native.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            error_ = "is a folder, not a file";
            return false;
        }
        if (!S_ISREG(status.st_mode)) {
            // A device or a pipe takes the lines as they come. A pipe nobody reads is refused
            // at once instead of waiting for a reader.
            const int descriptor = ::open(native.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
            if (descriptor < 0) {
                error_ = errno == ENXIO && S_ISFIFO(status.st_mode)
                             ? QString("is a pipe that nothing reads")
                             : SystemError(errno);
                return false;
            }
            ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
            return OpenStream(descriptor, output, true);
        }
    }
    // The file the temporary one will replace: the end of a chain of symbolic links, which
    // all stay as they are.
    const std::string target = FinalTarget(native);
    if (target.empty()) {
        error_ = SystemError(ELOOP);
        return false;
    }
    target_ = files::PathFromNative(target);
    const std::string folder = files::NativeFolderOf(target);
    const std::string baseName = BaseNameOf(target);
    RemoveStalePartials(folder, baseName);
    for (int n = 0; n < kTemporaryTries; ++n) {
        const std::string candidate =
            folder + "/." + baseName + ".partial-" + std::to_string(::getpid()) + "-" +
            std::to_string(n);
        if (file_.Open(files::PathFromNative(candidate), files::RecordFile::Mode::CreateNew)) {
            temporary_ = files::PathFromNative(candidate);
            GuardTemporary(candidate);
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
    // The new name survives a power cut.
    (void)SyncFolder(files::NativeFolderOf(files::NativePath(target_)));
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
