#pragma once

// A real, small file system for tests of a full disk: a tmpfs of a given size mounted on a
// temporary folder (root only; where mounting is not allowed the test is skipped with the
// reason). Fill() leaves a chosen number of bytes free with a filler file, Free() removes it.

#include <QString>
#include <QTemporaryDir>

namespace undarix::testing {

class SmallDisk {
public:
    explicit SmallDisk(int kibibytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    [[nodiscard]] bool Mounted() const { return mounted_; }
    // Why there is no disk (for GTEST_SKIP).
    [[nodiscard]] const QString& Unavailable() const { return unavailable_; }
    [[nodiscard]] QString Path(const QString& name) const { return folder_.filePath(name); }

    // Fills the disk until only about `bytesLeft` are free.
    void Fill(int bytesLeft);
    // Frees what Fill took.
    void Free();

private:
    QTemporaryDir folder_;
    bool mounted_ = false;
    QString unavailable_;
};

} // namespace undarix::testing
