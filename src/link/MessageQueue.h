#pragma once

// The network output's on-disk queue: every message is stored here before it is sent, and
// leaves only when the broker has acknowledged it, so that a dropped network, a restarted
// broker or a restarted program loses nothing. It is a folder of segment files of records
// (see codec/QueueRecord.h) and a small "head" file that remembers how far the broker has
// acknowledged and the next sequence number. The folder is locked while open: two programs
// never share one queue.
//
// Bounded: past the bound the oldest segment is dropped whole, and the messages it held are
// counted. Not thread-safe: one thread owns a queue.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "link/codec/QueueRecord.h"

namespace undarix::link {

inline constexpr std::uint64_t kDefaultQueueBound = 1'000'000'000;

class MessageQueue {
public:
    MessageQueue() = default;
    ~MessageQueue();
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    // Opens the queue in `folder` (made if missing), taking over what an earlier run left:
    // a record cut short at the end is removed. Returns an empty text, or why it failed.
    [[nodiscard]] std::string Open(const std::filesystem::path& folder,
                                   std::uint64_t bound = kDefaultQueueBound);
    // Remembers the head and releases the folder.
    void Close();
    [[nodiscard]] bool IsOpen() const { return headFd_ >= 0; }

    struct NewMessage {
        std::string_view topic;
        std::string_view payload;
        bool retain = false;
        bool sequenceInJson = false;
    };
    // Stores the messages in order, as Append below, with one write per segment. Returns how
    // many were taken (a message too large for a record is counted as dropped); the rest
    // could not be written (WriteError says why).
    std::size_t Append(std::span<const NewMessage> messages);

    // Stores a message under the next sequence number and returns that number, or 0 when it
    // could not be written (WriteError says why). With `sequenceInJson` the payload is a JSON
    // object and gets the number as its first member, "seq".
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
    [[nodiscard]] std::uint64_t Dropped() const { return dropped_; } // since Open
    [[nodiscard]] std::uint64_t NextSequence() const { return nextSequence_; }
    [[nodiscard]] std::uint64_t StoredBytes() const;
    [[nodiscard]] const std::string& WriteError() const { return writeError_; }
    [[nodiscard]] const std::filesystem::path& Folder() const { return folder_; }

    // Writes the head file, and empties the segment file once everything has left. Cheap:
    // the owner calls it about once a second, and at the end.
    void SaveHead();

private:
    struct Segment {
        std::uint64_t number = 0;
        std::uint64_t size = 0;  // bytes
        std::uint64_t count = 0; // records, from the start of the file
    };
    struct Position {
        std::uint64_t segment = 0;
        std::uint64_t offset = 0;
        std::uint64_t index = 0; // records before `offset` in the segment
    };
    struct Sent {
        std::uint64_t sequence = 0;
        Position end;
        bool acknowledged = false;
    };

    [[nodiscard]] std::string Recover();
    [[nodiscard]] std::string ScanSegment(Segment& segment, std::uint64_t from,
                                          std::uint64_t& lastSequence);
    [[nodiscard]] std::filesystem::path SegmentPath(std::uint64_t number) const;
    [[nodiscard]] Segment* Find(std::uint64_t number);
    bool StartTailSegment();
    void DropOldestSegment();
    void RemoveFrontSegment();
    bool FillReadBuffer(const Segment& segment, std::uint64_t offset, std::size_t atLeast);
    void LoseRestOfSegment(Segment& segment);

    std::filesystem::path folder_;
    std::uint64_t bound_ = kDefaultQueueBound;
    std::uint64_t segmentSize_ = 0;
    int headFd_ = -1;
    int tailFd_ = -1;
    int readFd_ = -1;
    std::uint64_t readFdSegment_ = 0;

    std::deque<Segment> segments_; // numbers contiguous, oldest first
    Position head_;                // first record not acknowledged
    Position cursor_;              // first record not handed out
    std::deque<Sent> inFlight_;

    std::uint64_t nextSequence_ = 1;
    std::uint64_t pending_ = 0;
    std::uint64_t unsent_ = 0;
    std::uint64_t dropped_ = 0;
    std::string writeError_;

    std::string record_;     // the record being appended
    std::string readBuffer_; // bytes of one segment from readStart_
    std::uint64_t readSegment_ = 0;
    std::uint64_t readStart_ = 0;
    bool readValid_ = false;
};

} // namespace undarix::link
