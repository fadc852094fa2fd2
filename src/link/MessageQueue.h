#pragma once

// The network output's on-disk queue: every message is stored here before it is sent, and
// leaves only when the broker has acknowledged it, so that a dropped network, a restarted
// broker or a restarted program loses nothing. The folder is locked while open: two programs
// never share one queue. In it:
//
//   <first>.seg  segment files of records (see codec/QueueRecord.h); a file is named after
//                the sequence number of its first record, and the numbers of its records
//                follow on by one. A new file is begun at each start, after a lost number and
//                when 256 KiB of the last one are delivered (so they can leave the disk).
//   head         the first sequence number the broker has not acknowledged (rewritten often,
//                not forced to the disk: at worst some messages are sent again).
//   sequence     the high-water mark: no number at or above it has been used. It is forced to
//                the disk before a number beyond it is used, in blocks of numbers, and set to
//                the exact next number at a clean close. Two slots, so that a write cut short
//                leaves the older mark.
//
// Damage is survived: a record that no longer reads (length and CRC) is skipped up to the
// next one that does, and counted; a missing file loses only its own records. A sequence
// number is never used twice: the next one is the highest of the mark, every record on disk
// and the head; with no mark left (the folder deleted) numbering starts from the clock
// (milliseconds since 1970 times 1000), beyond what any earlier run can have used.
//
// Bounded: past the bound the oldest segment is dropped whole, and the messages it held are
// counted. Every lost message is told as a QueueLoss with its numbers and cause. Not
// thread-safe: the owner serialises the calls.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/codec/QueueRecord.h"

namespace undarix::link {

inline constexpr std::uint64_t kDefaultQueueBound = 1'000'000'000;
// Sequence numbers reserved on the disk at once: one forced write per this many messages.
inline constexpr std::uint64_t kSequenceBlock = 4096;

// The first number of a queue that has no state left: milliseconds since 1970 times 1000.
[[nodiscard]] std::uint64_t ClockStartSequence();

enum class LossCause {
    Bound,    // the oldest dropped past the queue's bound
    Damaged,  // a record on disk that no longer reads
    TooLarge, // a message larger than a record can hold
    Disk,     // the queue could not be written (a full disk, a lost mount)
};

// Messages lost, with the numbers they had: `first` to `last` (some of which may have been
// acknowledged when `count` is smaller). A loss before any number was given has first 0 and
// follows the message numbered `after`.
struct QueueLoss {
    LossCause cause = LossCause::Disk;
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::uint64_t count = 0;
    std::uint64_t after = 0;
    std::string reason; // the system's words, for Disk
};

class MessageQueue {
public:
    MessageQueue() = default;
    ~MessageQueue();
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    // Opens the queue in `folder` (made if missing), taking over what an earlier run left:
    // damaged records are skipped and counted (Damaged), a record cut short at the end is
    // removed. Returns an empty text, or why it failed.
    [[nodiscard]] std::string Open(const std::filesystem::path& folder,
                                   std::uint64_t bound = kDefaultQueueBound);
    // Remembers the head and the exact next number, on the disk, and releases the folder.
    void Close();
    [[nodiscard]] bool IsOpen() const { return headFd_ >= 0; }

    struct NewMessage {
        std::string_view topic;
        std::string_view payload;
        bool retain = false;
        bool sequenceInJson = false;
    };
    // Stores the messages in order, as Append below, with one write per segment. Returns how
    // many were stored; each of the others is a loss (too large, or the disk; WriteError says
    // why) that still took its number, so that a consumer sees the gap.
    std::size_t Append(std::span<const NewMessage> messages);

    // Stores a message under the next sequence number and returns that number, or 0 when it
    // could not be stored. With `sequenceInJson` the payload is a JSON object and gets the
    // number as its first member, "seq".
    std::uint64_t Append(std::string_view topic, std::string_view payload, bool retain,
                         bool sequenceInJson = false);

    // The oldest message not yet handed out for sending; valid until the next call.
    [[nodiscard]] std::optional<codec::QueuedMessage> NextUnsent();
    // The connection was lost: every message not acknowledged is to be sent again.
    void RewindUnsent();
    // The broker has the message: once all before it are acknowledged too, it leaves.
    void Acknowledge(std::uint64_t sequence);

    [[nodiscard]] std::uint64_t Pending() const { return pending_; } // stored, not acknowledged
    [[nodiscard]] std::uint64_t Unsent() const { return unsent_; }
    [[nodiscard]] std::uint64_t InFlight() const { return inFlight_.size(); }
    // Since Open: dropped past the bound, found damaged, too large, not written.
    [[nodiscard]] std::uint64_t Dropped() const { return dropped_; }
    [[nodiscard]] std::uint64_t Damaged() const { return damaged_; }
    [[nodiscard]] std::uint64_t TooLarge() const { return tooLarge_; }
    [[nodiscard]] std::uint64_t Unwritten() const { return unwritten_; }
    [[nodiscard]] std::uint64_t NextSequence() const { return nextSequence_; }
    [[nodiscard]] std::uint64_t StoredBytes() const;
    [[nodiscard]] const std::string& WriteError() const { return writeError_; }
    [[nodiscard]] const std::filesystem::path& Folder() const { return folder_; }
    // The losses since the last call, oldest first.
    [[nodiscard]] std::vector<QueueLoss> TakeLosses();

    // Writes the head file, and removes the segment files once everything has left. Cheap:
    // the owner calls it about once a second, and at the end.
    void SaveHead();
    // Duplicates of the files written since the last call (the tail segment, the head, the
    // folder when a file was made in it), for the owner to force to the disk and close, away
    // from the calls that store.
    [[nodiscard]] std::vector<int> FilesToSync();

private:
    struct Segment {
        std::uint64_t first = 0; // sequence number of its first record, and its name
        std::uint64_t size = 0;  // bytes
        std::uint64_t count = 0; // records
    };
    struct Position {
        std::uint64_t segment = 0; // its first sequence number
        std::uint64_t offset = 0;
        std::uint64_t index = 0; // records before `offset` in the segment
    };
    struct Sent {
        std::uint64_t sequence = 0;
        Position end;
        bool acknowledged = false;
    };
    struct FoundRecord {
        std::uint64_t offset = 0;
        std::uint64_t size = 0;
        std::uint64_t sequence = 0;
    };

    [[nodiscard]] std::string Recover();
    [[nodiscard]] std::string TakeOverSegment(std::uint64_t number, std::uint64_t headSequence,
                                              std::uint64_t& lastSequence);
    [[nodiscard]] std::string RewriteAsRuns(std::uint64_t number, const std::string& bytes,
                                            const std::vector<FoundRecord>& records);
    [[nodiscard]] std::filesystem::path SegmentPath(std::uint64_t number) const;
    [[nodiscard]] Segment* Find(std::uint64_t number);
    [[nodiscard]] const Segment* After(std::uint64_t number) const;
    bool Reserve(std::uint64_t upTo);
    bool WriteSequenceMark(std::uint64_t mark);
    bool StartTailSegment();
    void Skip(std::uint64_t count, LossCause cause);
    void DropOldestSegment();
    void RemoveFrontSegment();
    void RemoveAcknowledgedFront();
    bool FillReadBuffer(const Segment& segment, std::uint64_t offset, std::size_t atLeast);
    void LoseRestOfSegment(Segment& segment);
    void AddLoss(QueueLoss loss);

    std::filesystem::path folder_;
    std::uint64_t bound_ = kDefaultQueueBound;
    std::uint64_t segmentSize_ = 0;
    int headFd_ = -1;
    int sequenceFd_ = -1;
    int tailFd_ = -1;
    int readFd_ = -1;
    std::uint64_t readFdSegment_ = 0;

    std::deque<Segment> segments_; // oldest first, rising numbers
    Position head_;                // first record not acknowledged, in the front segment
    Position cursor_;              // first record not handed out
    std::deque<Sent> inFlight_;
    bool numberSkipped_ = false; // the next record begins a new segment

    std::uint64_t nextSequence_ = 1;
    std::uint64_t reserved_ = 0;         // the mark on the disk
    std::uint64_t markGeneration_ = 0;   // of the slot written last
    std::uint64_t savedHeadSequence_ = 0;
    std::uint64_t pending_ = 0;
    std::uint64_t unsent_ = 0;
    std::uint64_t dropped_ = 0;
    std::uint64_t damaged_ = 0;
    std::uint64_t tooLarge_ = 0;
    std::uint64_t unwritten_ = 0;
    std::vector<QueueLoss> losses_;
    std::string writeError_;
    bool tailWritten_ = false;
    bool headWritten_ = false;
    bool folderChanged_ = false;

    std::string record_;     // the records being appended
    std::string readBuffer_; // bytes of one segment from readStart_
    std::uint64_t readSegment_ = 0;
    std::uint64_t readStart_ = 0;
    bool readValid_ = false;
};

} // namespace undarix::link
