#pragma once

// A file written in whole records: the lines of a data file, the frames of a capture file.
// A record reaches the file whole or not at all: when the system takes only part of it (a full
// disk), the part is cut off again, so the file always ends at the end of a record and the
// next good record cannot be spliced onto a torn one. While open the file carries an exclusive
// lock, so that a second writer (another run of the companion, the program itself) is refused
// instead of mixing its bytes in. Errors are kept in the system's own words.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace undarix::files {

class RecordFile {
public:
    enum class Mode {
        Replace,   // an existing file is emptied, once the lock is held
        Append,    // an existing file is continued
        CreateNew, // the file must not exist yet
    };

    RecordFile() = default;
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Opens or creates the file and takes its lock. False when that fails (ErrorText says why,
    // and a file locked by another writer is left untouched).
    bool Open(const QString& path, Mode mode);
    // Refuses to open the file for a reason of the caller's (it is left untouched): false, with
    // ErrorText saying why.
    bool Refuse(const QString& why) { return Fail(why); }
    // Takes over a descriptor that is already open (standard output, a device): no lock and
    // nothing to sync; `closeAtEnd` says whether Close closes it.
    void Adopt(int descriptor, const QString& name, bool closeAtEnd);
    // Writes what is held, forces it to the disk, lets go of the lock and closes. False when
    // something could not be written or synced.
    bool Close();

    [[nodiscard]] bool IsOpen() const { return descriptor_ >= 0; }
    [[nodiscard]] const QString& FileName() const { return name_; }
    [[nodiscard]] const QString& ErrorText() const { return error_; }
    // The system's number for the last failure (errno), 0 when it was not the system's.
    [[nodiscard]] int ErrorCode() const { return errorCode_; }
    // The length of the whole records written: where the next record begins.
    [[nodiscard]] std::int64_t Size() const { return size_ + std::int64_t(held_.size()); }

    // Holds up to `bytes` of whole records and writes them together (a conversion writes
    // millions of lines); 0, the default, writes each record at once with one call.
    void HoldUpTo(std::size_t bytes);
    // Appends one record; false when it could not be written whole (the file is as before).
    bool Append(const char* data, std::size_t count);
    // Writes the records held.
    bool Flush();
    // Takes back what follows the first `size` bytes (a frame the stream cut short).
    bool CutBackTo(std::int64_t size);
    // Forces the records written so far to the disk (they survive a power cut), if anything
    // was written since the last time.
    bool Sync();
    [[nodiscard]] bool HasUnsyncedRecords() const { return unsynced_; }

    // Whether the name the file was opened under still leads to it. While it is written the
    // file may be removed (alone or with its folder: what it holds is lost), or moved or its
    // disk taken away (what it holds is kept, out of reach). A file not opened here is always
    // where it was.
    enum class Whereabouts { AtItsName, Moved, Removed };
    [[nodiscard]] Whereabouts Where() const;
    // The file's permission bits (a file that replaces another takes over the other's).
    void SetPermissions(unsigned mode);

private:
    bool Fail(const QString& what, int code = 0);
    bool FailWith(int code);
    bool WriteWhole(const char* data, std::size_t count);
    bool TruncateTo(std::int64_t size);
    bool SyncFolder();

    int descriptor_ = -1;
    bool owned_ = false; // opened here: locked and synced here
    bool closeAtEnd_ = false;
    bool regular_ = false; // a regular file: can be cut back and synced
    QString name_;
    QString error_;
    int errorCode_ = 0;
    std::int64_t size_ = 0;
    std::string held_;
    std::size_t holdLimit_ = 0;
    bool unsynced_ = false;
    bool folderUnsynced_ = false; // a new file's name is not on the disk yet
};

// The write call every record file makes: the system's write(2) unless a stand-in is set. The
// stand-in lets a test play a disk that fills up and is freed again; it sets errno as the
// system would. An empty function restores the system's call.
using WriteCall = std::function<long(int descriptor, const void* data, std::size_t count)>;
void SetWriteCall(WriteCall call);

} // namespace undarix::files
