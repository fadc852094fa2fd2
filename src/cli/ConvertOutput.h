#pragma once

// Where a conversion writes. A file is never written in place: the lines go to a temporary
// file in the same folder, which replaces the output only once the conversion has finished
// and is on the disk, so an existing output is never emptied, cut or left half-made by a
// failure, a full disk or an interruption (SIGINT, SIGTERM, SIGHUP remove the temporary file
// on their way). Standard output ("-") and devices or pipes named as the output are written
// straight through, one line at a time.

#include "files/RecordFile.h"

#include <QString>

#include <sys/stat.h>

namespace undarix::cli {

class ConvertOutput {
public:
    explicit ConvertOutput(files::RecordFile& file) : file_(file) {}
    ~ConvertOutput();
    ConvertOutput(const ConvertOutput&) = delete;
    ConvertOutput& operator=(const ConvertOutput&) = delete;

    // Opens `output` ("-": standard output) into the record file. False with ErrorText set.
    [[nodiscard]] bool Open(const QString& output);
    // The converted lines take the output's place. False with ErrorText set (the output is
    // then as it was).
    [[nodiscard]] bool Finish();
    // Nothing is kept: the temporary file goes, the output stays as it was.
    void Abandon();

    [[nodiscard]] const QString& ErrorText() const { return error_; }
    // How messages name the output.
    [[nodiscard]] QString Name() const;
    // Written straight through (standard output, a device): what was written stays written.
    [[nodiscard]] bool IsStream() const { return stream_; }

private:
    bool OpenStream(int descriptor, const QString& name, bool closeAtEnd);

    files::RecordFile& file_;
    QString output_;
    QString target_;    // what the temporary file replaces (a symbolic link's target)
    QString temporary_; // while a file is being made
    QString error_;
    bool stream_ = false;
};

// Whether `path` names the same file as `status` (the same device and inode), whatever the
// path: a hard link, a symbolic link, a bind mount.
[[nodiscard]] bool IsSameFile(const QString& path, const struct stat& status);

} // namespace undarix::cli
