#include "link/MessageQueue.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace undarix::link {
namespace {

namespace fs = std::filesystem;

// The head file: magic, head segment, head offset, head index, next sequence number, CRC.
constexpr std::string_view kHeadMagic = "UQH1";
constexpr std::size_t kHeadFileSize = 4 + 4 * 8 + 4;
constexpr std::string_view kSegmentSuffix = ".seg";
constexpr std::size_t kReadChunk = 256 * 1024;
// The read buffer follows the live tail while everything is sent at once; past this it
// starts again from the next record to send.
constexpr std::size_t kReadBufferLimit = 1024 * 1024;

std::string ErrnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Little-endian numbers of the head file: 8 bytes, or 4 for its CRC.
void PutLittle(char* out, std::uint64_t value, int bytes = 8) {
    for (int i = 0; i < bytes; ++i)
        out[i] = char((value >> (8 * i)) & 0xFF);
}

std::uint64_t GetLittle(const char* in, int bytes = 8) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | std::uint8_t(in[i]);
    return value;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

std::optional<std::uint64_t> SegmentNumber(const fs::path& path) {
    const std::string name = path.filename().string();
    if (name.size() != 10 + kSegmentSuffix.size() || !name.ends_with(kSegmentSuffix))
        return std::nullopt;
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + 10, number);
    if (error != std::errc() || end != name.data() + 10) return std::nullopt;
    return number;
}

// `{"a":1}` becomes `{"seq":N,"a":1}`; `{}` becomes `{"seq":N}`.
void WithSequence(std::string_view object, std::uint64_t sequence, std::string& out) {
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, sequence);
    out.assign("{\"seq\":");
    out.append(digits, end);
    std::string_view rest = object.substr(std::min<std::size_t>(1, object.size()));
    const std::size_t firstNonBlank = rest.find_first_not_of(" \t\r\n");
    if (firstNonBlank != std::string_view::npos && rest[firstNonBlank] != '}') out.push_back(',');
    out.append(rest);
}

} // namespace

MessageQueue::~MessageQueue() {
    Close();
}

fs::path MessageQueue::SegmentPath(std::uint64_t number) const {
    char name[32];
    std::snprintf(name, sizeof name, "%010llu%s", static_cast<unsigned long long>(number),
                  kSegmentSuffix.data());
    return folder_ / name;
}

std::string MessageQueue::Open(const fs::path& folder, std::uint64_t bound) {
    Close();
    folder_ = folder;
    bound_ = std::max<std::uint64_t>(bound, 4096);
    // Sixteen segments to the bound: dropping the oldest loses a sixteenth at most.
    segmentSize_ = std::clamp<std::uint64_t>(bound_ / 16, 1024, 64 * 1024 * 1024);
    std::error_code error;
    fs::create_directories(folder_, error);
    if (error) return "cannot make the queue folder " + folder_.string() + ": " + error.message();
    headFd_ = ::open((folder_ / "head").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (headFd_ < 0) return ErrnoText("cannot open the queue " + folder_.string());
    if (::flock(headFd_, LOCK_EX | LOCK_NB) != 0) {
        const std::string text =
            errno == EWOULDBLOCK ? "the queue " + folder_.string() + " is in use by another program"
                                 : ErrnoText("cannot lock the queue " + folder_.string());
        ::close(headFd_);
        headFd_ = -1;
        return text;
    }
    std::string problem = Recover();
    if (!problem.empty()) {
        Close();
        return problem;
    }
    return {};
}

void MessageQueue::Close() {
    if (headFd_ < 0) return;
    SaveHead();
    for (int* fd : {&tailFd_, &readFd_, &headFd_})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    segments_.clear();
    inFlight_.clear();
    head_ = cursor_ = Position{};
    pending_ = unsent_ = dropped_ = 0;
    nextSequence_ = 1;
    readValid_ = false;
    writeError_.clear();
}

std::string MessageQueue::Recover() {
    char saved[kHeadFileSize] = {};
    Position head;
    std::uint64_t savedNext = 1;
    if (::pread(headFd_, saved, sizeof saved, 0) == ssize_t(sizeof saved) &&
        std::string_view(saved, 4) == kHeadMagic &&
        codec::Crc32(std::string_view(saved, kHeadFileSize - 4)) ==
            GetLittle(saved + kHeadFileSize - 4, 4)) {
        head.segment = GetLittle(saved + 4);
        head.offset = GetLittle(saved + 12);
        head.index = GetLittle(saved + 20);
        savedNext = GetLittle(saved + 28);
    }

    std::vector<std::uint64_t> numbers;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_, error))
        if (const std::optional<std::uint64_t> number = SegmentNumber(entry.path()))
            numbers.push_back(*number);
    if (error) return "cannot read the queue folder " + folder_.string() + ": " + error.message();
    std::sort(numbers.begin(), numbers.end());

    std::uint64_t lastSequence = 0;
    for (const std::uint64_t number : numbers) {
        if (number < head.segment ||
            (!segments_.empty() && number != segments_.back().number + 1)) {
            // Acknowledged whole before the last stop, or cut off from the rest.
            fs::remove(SegmentPath(number), error);
            continue;
        }
        Segment segment{number, 0, 0};
        if (std::string problem = ScanSegment(segment, 0, lastSequence); !problem.empty())
            return problem;
        segments_.push_back(segment);
    }
    if (!segments_.empty() && segments_.front().number == head.segment &&
        head.offset <= segments_.front().size && head.index <= segments_.front().count)
        head_ = head;
    else if (!segments_.empty())
        head_ = Position{segments_.front().number, 0, 0};
    else
        head_ = Position{head.segment, 0, 0};

    for (const Segment& segment : segments_)
        pending_ += segment.count;
    pending_ -= head_.index;
    unsent_ = pending_;
    cursor_ = head_;
    nextSequence_ = std::max({savedNext, lastSequence + 1, std::uint64_t(1)});
    if (!segments_.empty()) {
        tailFd_ =
            ::open(SegmentPath(segments_.back().number).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (tailFd_ < 0) return ErrnoText("cannot open the queue " + folder_.string());
    }
    return {};
}

// Counts the records of a segment; what follows the last whole record (a write cut short,
// damage) is cut off, so that appending goes on behind good records.
std::string MessageQueue::ScanSegment(Segment& segment, std::uint64_t from,
                                      std::uint64_t& lastSequence) {
    const fs::path path = SegmentPath(segment.number);
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return ErrnoText("cannot open the queue file " + path.string());
    std::string buffer;
    std::uint64_t offset = from;
    std::size_t used = 0;
    bool atEnd = false;
    while (true) {
        const codec::DecodedRecord record =
            codec::DecodeRecord(std::string_view(buffer).substr(used));
        if (record.status == codec::RecordStatus::Complete) {
            used += record.size;
            offset += record.size;
            ++segment.count;
            lastSequence = std::max(lastSequence, record.message.sequence);
            continue;
        }
        if (record.status == codec::RecordStatus::Damaged || atEnd) break;
        buffer.erase(0, used);
        used = 0;
        const std::size_t had = buffer.size();
        buffer.resize(had + kReadChunk);
        const ssize_t got = ::pread(fd, buffer.data() + had, kReadChunk, off_t(offset + had));
        if (got < 0) {
            ::close(fd);
            return ErrnoText("cannot read the queue file " + path.string());
        }
        buffer.resize(had + std::size_t(got));
        atEnd = got == 0;
    }
    if (::ftruncate(fd, off_t(offset)) != 0) {
        ::close(fd);
        return ErrnoText("cannot repair the queue file " + path.string());
    }
    ::close(fd);
    segment.size = offset;
    return {};
}

MessageQueue::Segment* MessageQueue::Find(std::uint64_t number) {
    if (segments_.empty() || number < segments_.front().number) return nullptr;
    const std::uint64_t index = number - segments_.front().number;
    return index < segments_.size() ? &segments_[index] : nullptr;
}

std::uint64_t MessageQueue::StoredBytes() const {
    std::uint64_t bytes = 0;
    for (const Segment& segment : segments_)
        bytes += segment.size;
    return bytes - head_.offset;
}

bool MessageQueue::StartTailSegment() {
    const std::uint64_t number =
        segments_.empty() ? head_.segment + 1 : segments_.back().number + 1;
    const int fd = ::open(SegmentPath(number).c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        writeError_ = ErrnoText("cannot write the queue " + folder_.string());
        return false;
    }
    if (tailFd_ >= 0) ::close(tailFd_);
    tailFd_ = fd;
    segments_.push_back(Segment{number, 0, 0});
    if (segments_.size() == 1) head_ = cursor_ = Position{number, 0, 0};
    return true;
}

std::uint64_t MessageQueue::Append(std::string_view topic, std::string_view payload, bool retain,
                                   bool sequenceInJson) {
    const NewMessage message{topic, payload, retain, sequenceInJson};
    const std::uint64_t before = nextSequence_;
    if (Append(std::span(&message, 1)) != 1 || nextSequence_ == before) return 0;
    return nextSequence_ - 1;
}

std::size_t MessageQueue::Append(std::span<const NewMessage> messages) {
    if (headFd_ < 0) {
        writeError_ = "the queue is not open";
        return 0;
    }
    std::size_t done = 0;
    std::string sequenced;
    while (done < messages.size()) {
        if (segments_.empty() || segments_.back().size >= segmentSize_)
            if (!StartTailSegment()) break;
        Segment& tail = segments_.back();
        // As many records as fill the segment, written at once.
        record_.clear();
        std::uint64_t count = 0;
        std::size_t next = done;
        while (next < messages.size() && tail.size + record_.size() < segmentSize_) {
            const NewMessage& message = messages[next++];
            if (message.topic.size() > codec::kMaxTopicLength ||
                message.payload.size() + 32 > codec::kMaxPayloadLength) {
                writeError_ = "a message too large for the queue was left out";
                ++dropped_;
                continue;
            }
            const std::uint64_t sequence = nextSequence_ + count++;
            if (message.sequenceInJson) WithSequence(message.payload, sequence, sequenced);
            codec::AppendRecord({sequence, message.retain, message.topic,
                                 message.sequenceInJson ? sequenced : message.payload},
                                record_);
        }
        if (!WriteAll(tailFd_, record_.data(), record_.size())) {
            writeError_ = ErrnoText("cannot write the queue " + folder_.string());
            // No half record stays behind to stop the ones that follow.
            if (::ftruncate(tailFd_, off_t(tail.size)) != 0) {
            }
            break;
        }
        // While everything is sent at once, the records are read from memory, not the file.
        if (readValid_ && readSegment_ == tail.number &&
            readStart_ + readBuffer_.size() == tail.size && readBuffer_.size() < kReadBufferLimit)
            readBuffer_.append(record_);
        tail.size += record_.size();
        tail.count += count;
        nextSequence_ += count;
        pending_ += count;
        unsent_ += count;
        done = next;
        if (count > 0) writeError_.clear();
    }
    while (StoredBytes() > bound_ && segments_.size() > 1)
        DropOldestSegment();
    return done;
}

void MessageQueue::DropOldestSegment() {
    Segment& front = segments_.front();
    const std::uint64_t lost = front.count - head_.index;
    while (!inFlight_.empty() && inFlight_.front().end.segment == front.number)
        inFlight_.pop_front();
    if (cursor_.segment == front.number) {
        unsent_ -= front.count - cursor_.index;
        cursor_ = Position{front.number + 1, 0, 0};
    }
    pending_ -= lost;
    dropped_ += lost;
    RemoveFrontSegment();
}

void MessageQueue::RemoveFrontSegment() {
    const std::uint64_t number = segments_.front().number;
    std::error_code error;
    fs::remove(SegmentPath(number), error);
    if (readFd_ >= 0 && readFdSegment_ == number) {
        ::close(readFd_);
        readFd_ = -1;
    }
    if (readSegment_ == number) readValid_ = false;
    segments_.pop_front();
    head_ = Position{number + 1, 0, 0};
}

bool MessageQueue::FillReadBuffer(const Segment& segment, std::uint64_t offset,
                                  std::size_t atLeast) {
    if (readFd_ < 0 || readFdSegment_ != segment.number) {
        if (readFd_ >= 0) ::close(readFd_);
        readFd_ = ::open(SegmentPath(segment.number).c_str(), O_RDONLY | O_CLOEXEC);
        readFdSegment_ = segment.number;
        if (readFd_ < 0) return false;
    }
    const std::size_t want =
        std::size_t(std::min<std::uint64_t>(std::max(kReadChunk, atLeast), segment.size - offset));
    readBuffer_.resize(want);
    std::size_t got = 0;
    while (got < want) {
        const ssize_t n =
            ::pread(readFd_, readBuffer_.data() + got, want - got, off_t(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += std::size_t(n);
    }
    readBuffer_.resize(got);
    readSegment_ = segment.number;
    readStart_ = offset;
    readValid_ = true;
    return got > 0;
}

// Bytes of a segment that no longer read as records (changed behind the queue's back): the
// messages in them are counted as dropped.
void MessageQueue::LoseRestOfSegment(Segment& segment) {
    const std::uint64_t lost = segment.count - cursor_.index;
    segment.count = cursor_.index;
    segment.size = cursor_.offset;
    unsent_ -= lost;
    pending_ -= lost;
    dropped_ += lost;
}

std::optional<codec::QueuedMessage> MessageQueue::NextUnsent() {
    while (unsent_ > 0) {
        Segment* segment = Find(cursor_.segment);
        if (!segment) return std::nullopt;
        if (cursor_.offset >= segment->size) {
            cursor_ = Position{cursor_.segment + 1, 0, 0};
            continue;
        }
        const bool inBuffer = readValid_ && readSegment_ == segment->number &&
                              cursor_.offset >= readStart_ &&
                              cursor_.offset < readStart_ + readBuffer_.size();
        if (!inBuffer && !FillReadBuffer(*segment, cursor_.offset, 0)) {
            LoseRestOfSegment(*segment);
            continue;
        }
        std::string_view bytes = std::string_view(readBuffer_).substr(cursor_.offset - readStart_);
        codec::DecodedRecord record = codec::DecodeRecord(bytes);
        if (record.status == codec::RecordStatus::Incomplete) {
            // A record across the end of the buffer: read again from its start.
            if (FillReadBuffer(*segment, cursor_.offset, 2 * kReadChunk))
                record = codec::DecodeRecord(readBuffer_);
        }
        if (record.status != codec::RecordStatus::Complete) {
            LoseRestOfSegment(*segment);
            continue;
        }
        cursor_.offset += record.size;
        ++cursor_.index;
        --unsent_;
        inFlight_.push_back(Sent{record.message.sequence, cursor_, false});
        // The buffer is kept small once the sender has caught up with the tail.
        if (cursor_.offset == readStart_ + readBuffer_.size() &&
            readBuffer_.size() >= kReadBufferLimit) {
            readBuffer_.clear();
            readStart_ = cursor_.offset;
        }
        return record.message;
    }
    return std::nullopt;
}

void MessageQueue::RewindUnsent() {
    inFlight_.clear();
    cursor_ = head_;
    unsent_ = pending_;
}

void MessageQueue::Acknowledge(std::uint64_t sequence) {
    for (Sent& sent : inFlight_)
        if (sent.sequence == sequence) {
            sent.acknowledged = true;
            break;
        }
    while (!inFlight_.empty() && inFlight_.front().acknowledged) {
        head_ = inFlight_.front().end;
        inFlight_.pop_front();
        --pending_;
        if (segments_.size() > 1 && head_.segment == segments_.front().number &&
            head_.index == segments_.front().count)
            RemoveFrontSegment();
    }
}

void MessageQueue::SaveHead() {
    if (headFd_ < 0) return;
    char saved[kHeadFileSize];
    std::memcpy(saved, kHeadMagic.data(), 4);
    PutLittle(saved + 4, head_.segment);
    PutLittle(saved + 12, head_.offset);
    PutLittle(saved + 20, head_.index);
    PutLittle(saved + 28, nextSequence_);
    const std::uint32_t crc = codec::Crc32(std::string_view(saved, kHeadFileSize - 4));
    PutLittle(saved + kHeadFileSize - 4, crc, 4);
    if (::pwrite(headFd_, saved, sizeof saved, 0) != ssize_t(sizeof saved)) return;

    // Everything has left: the file is emptied, after the head above keeps the sequence.
    if (pending_ == 0 && segments_.size() == 1 && segments_.front().size > 0 &&
        ::ftruncate(tailFd_, 0) == 0) {
        Segment& only = segments_.front();
        only.size = 0;
        only.count = 0;
        head_ = cursor_ = Position{only.number, 0, 0};
        readValid_ = false;
        inFlight_.clear();
        SaveHead();
    }
}

} // namespace undarix::link
