#include "link/MessageQueue.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace undarix::link {
namespace {

namespace fs = std::filesystem;

// The head file: magic, first sequence number not acknowledged, next sequence number, CRC.
constexpr std::string_view kHeadMagic = "UQH2";
constexpr std::size_t kHeadFileSize = 4 + 8 + 8 + 4;
// A slot of the sequence file: magic, mark, generation, CRC; two slots.
constexpr std::string_view kMarkMagic = "UQS1";
constexpr std::size_t kMarkSlotSize = 4 + 8 + 8 + 4;
constexpr std::string_view kSegmentSuffix = ".seg";
constexpr std::string_view kTemporarySuffix = ".seg.tmp";
constexpr std::size_t kReadChunk = 256 * 1024;
// The read buffer follows the live tail while everything is sent at once; past this it
// starts again from the next record to send.
constexpr std::size_t kReadBufferLimit = 1024 * 1024;
// Losses kept for the owner before the newest are merged into one.
constexpr std::size_t kLossesKept = 256;
// A tail file whose delivered part has grown this large is closed and a new one begun, so
// that delivered messages leave the disk soon while the flow never stops (a segment is
// 62.5 MB at the default bound: on a small disk it would take the room of an outage).
constexpr std::uint64_t kDeliveredTailLimit = 256 * 1024;

std::string ErrnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Little-endian numbers of the head and sequence files: 8 bytes, or 4 for a CRC.
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

bool ReadWhole(const fs::path& path, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bytes.clear();
    std::size_t got = 0;
    while (true) {
        bytes.resize(got + kReadChunk);
        const ssize_t n = ::read(fd, bytes.data() + got, kReadChunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int saved = errno;
            ::close(fd);
            errno = saved;
            return false;
        }
        if (n == 0) break;
        got += std::size_t(n);
    }
    bytes.resize(got);
    ::close(fd);
    return true;
}

// "<digits>.seg": the number; older queues named their files 0000000001.seg and so on, and
// are taken over the same way.
std::optional<std::uint64_t> SegmentNumber(const fs::path& path) {
    const std::string name = path.filename().string();
    if (!name.ends_with(kSegmentSuffix)) return std::nullopt;
    const std::size_t digits = name.size() - kSegmentSuffix.size();
    if (digits == 0 || digits > 20) return std::nullopt;
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + digits, number);
    if (error != std::errc() || end != name.data() + digits) return std::nullopt;
    return number;
}

std::uint64_t CountMagics(std::string_view bytes) {
    std::uint64_t count = 0;
    for (std::size_t at = bytes.find(codec::kRecordMagic); at != std::string_view::npos;
         at = bytes.find(codec::kRecordMagic, at + 1))
        ++count;
    return count;
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

bool TooLargeForRecord(const MessageQueue::NewMessage& message) {
    return message.topic.size() > codec::kMaxTopicLength ||
           message.payload.size() + 32 > codec::kMaxPayloadLength;
}

} // namespace

std::uint64_t ClockStartSequence() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return ms > 0 ? std::uint64_t(ms) * 1000 : 1;
}

MessageQueue::~MessageQueue() {
    Close();
}

fs::path MessageQueue::SegmentPath(std::uint64_t number) const {
    char name[40];
    std::snprintf(name, sizeof name, "%020llu%s", static_cast<unsigned long long>(number),
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
        // Nothing of a queue half taken over is written back.
        for (int* fd : {&tailFd_, &readFd_, &sequenceFd_, &headFd_})
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
        Close();
        return problem;
    }
    return {};
}

void MessageQueue::Close() {
    if (headFd_ >= 0) {
        SaveHead();
        // The exact next number: a clean restart goes on without a gap.
        if (sequenceFd_ >= 0 && reserved_ != nextSequence_) (void)WriteSequenceMark(nextSequence_);
        if (tailFd_ >= 0) (void)::fdatasync(tailFd_);
        (void)::fdatasync(headFd_);
    }
    for (int* fd : {&tailFd_, &readFd_, &sequenceFd_, &headFd_})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    segments_.clear();
    inFlight_.clear();
    head_ = cursor_ = Position{};
    pending_ = unsent_ = dropped_ = damaged_ = tooLarge_ = unwritten_ = 0;
    nextSequence_ = 1;
    reserved_ = markGeneration_ = savedHeadSequence_ = 0;
    numberSkipped_ = false;
    readValid_ = false;
    tailWritten_ = headWritten_ = folderChanged_ = false;
    losses_.clear();
    writeError_.clear();
}

std::string MessageQueue::Recover() {
    char saved[kHeadFileSize] = {};
    std::uint64_t headSequence = 0;
    std::uint64_t savedNext = 0;
    if (::pread(headFd_, saved, sizeof saved, 0) == ssize_t(sizeof saved) &&
        std::string_view(saved, 4) == kHeadMagic &&
        codec::Crc32(std::string_view(saved, kHeadFileSize - 4)) ==
            GetLittle(saved + kHeadFileSize - 4, 4)) {
        headSequence = GetLittle(saved + 4);
        savedNext = GetLittle(saved + 12);
    }
    savedHeadSequence_ = headSequence;

    sequenceFd_ = ::open((folder_ / "sequence").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (sequenceFd_ < 0) return ErrnoText("cannot open the queue " + folder_.string());
    bool markValid = false;
    std::uint64_t mark = 0;
    char slots[2 * kMarkSlotSize] = {};
    const ssize_t slotBytes = ::pread(sequenceFd_, slots, sizeof slots, 0);
    for (int slot = 0; slot < 2; ++slot) {
        const char* at = slots + slot * kMarkSlotSize;
        if (slotBytes < ssize_t((slot + 1) * kMarkSlotSize) ||
            std::string_view(at, 4) != kMarkMagic ||
            codec::Crc32(std::string_view(at, kMarkSlotSize - 4)) !=
                GetLittle(at + kMarkSlotSize - 4, 4))
            continue;
        const std::uint64_t generation = GetLittle(at + 12);
        if (!markValid || generation > markGeneration_) {
            markValid = true;
            mark = GetLittle(at + 4);
            markGeneration_ = generation;
        }
    }

    std::vector<std::uint64_t> numbers;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_, error)) {
        if (entry.path().filename().string().ends_with(kTemporarySuffix))
            fs::remove(entry.path(), error); // a rewrite cut short: the original is still there
        else if (const std::optional<std::uint64_t> number = SegmentNumber(entry.path()))
            numbers.push_back(*number);
    }
    if (error) return "cannot read the queue folder " + folder_.string() + ": " + error.message();
    std::sort(numbers.begin(), numbers.end());

    std::uint64_t lastSequence = 0;
    for (const std::uint64_t number : numbers)
        if (std::string problem = TakeOverSegment(number, headSequence, lastSequence);
            !problem.empty())
            return problem;

    // Segments acknowledged whole before the last stop.
    while (!segments_.empty() && segments_.front().first + segments_.front().count <= headSequence) {
        fs::remove(SegmentPath(segments_.front().first), error);
        segments_.pop_front();
        folderChanged_ = true;
    }
    head_ = Position{};
    if (!segments_.empty()) {
        Segment& front = segments_.front();
        head_ = Position{front.first, 0, 0};
        if (headSequence > front.first) {
            // The records are whole now: their lengths lead to the head.
            const std::uint64_t index = headSequence - front.first;
            const int fd = ::open(SegmentPath(front.first).c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) return ErrnoText("cannot open the queue " + folder_.string());
            std::uint64_t offset = 0;
            char lengths[8];
            for (std::uint64_t i = 0; i < index; ++i) {
                if (::pread(fd, lengths, sizeof lengths, off_t(offset)) != ssize_t(sizeof lengths))
                    break;
                offset += 8 + GetLittle(lengths + 4, 4) + 4;
            }
            ::close(fd);
            head_ = Position{front.first, std::min(offset, front.size), index};
        }
    }
    pending_ = 0;
    for (const Segment& segment : segments_)
        pending_ += segment.count;
    pending_ -= head_.index;
    unsent_ = pending_;
    cursor_ = head_;
    nextSequence_ = std::max({lastSequence + 1, savedNext, markValid ? mark : ClockStartSequence(),
                              std::uint64_t(1)});
    reserved_ = markValid ? mark : 0;
    // Appending goes on in the last file only when the numbers follow on there.
    numberSkipped_ = segments_.empty() ||
                     segments_.back().first + segments_.back().count != nextSequence_;
    if (!numberSkipped_) {
        tailFd_ = ::open(SegmentPath(segments_.back().first).c_str(),
                         O_WRONLY | O_APPEND | O_CLOEXEC);
        if (tailFd_ < 0) return ErrnoText("cannot open the queue " + folder_.string());
    }
    return {};
}

// Reads a segment whole: its complete records are kept, in rising numbers; damage between
// them is skipped and counted, by the numbers it hides where the records around it tell, else
// by the records it begins. A file whose records no longer follow on by one from its name is
// written anew as runs that do.
std::string MessageQueue::TakeOverSegment(std::uint64_t number, std::uint64_t headSequence,
                                          std::uint64_t& lastSequence) {
    const fs::path path = SegmentPath(number);
    std::string bytes;
    if (!ReadWhole(path, bytes)) return ErrnoText("cannot read the queue file " + path.string());
    const std::string_view view(bytes);
    std::vector<FoundRecord> records;
    bool canonical = true;
    std::uint64_t expected = number;
    std::uint64_t wholeEnd = 0;
    std::size_t at = 0;
    while (at < view.size()) {
        const codec::DecodedRecord record = codec::DecodeRecord(view.substr(at));
        if (record.status == codec::RecordStatus::Complete) {
            const std::uint64_t sequence = record.message.sequence;
            if (sequence <= lastSequence) {
                canonical = false; // a copy of records already taken: left out
            } else {
                if (sequence != expected) canonical = false;
                records.push_back({at, record.size, sequence});
                lastSequence = sequence;
                expected = sequence + 1;
            }
            at += record.size;
            wholeEnd = at;
            continue;
        }
        const std::size_t next = codec::FindNextRecord(view, at + 1);
        const std::uint64_t before =
            records.empty() ? (number > 0 ? number - 1 : 0) : records.back().sequence;
        const std::uint64_t begun = 1 + CountMagics(view.substr(at + 1, next - at - 1));
        std::uint64_t hidden = begun;
        if (next < view.size()) {
            canonical = false;
            const std::uint64_t after = codec::DecodeRecord(view.substr(next)).message.sequence;
            if (after <= before + 1)
                hidden = 0; // bytes between records that follow on: no record lost
            else if (after - before - 1 <= (next - at) / codec::kRecordOverhead)
                hidden = after - before - 1;
        }
        const std::uint64_t first = before + 1;
        const std::uint64_t from = std::max(first, headSequence);
        if (hidden > 0 && first + hidden > from) {
            const std::uint64_t lost = first + hidden - from;
            damaged_ += lost;
            AddLoss({LossCause::Damaged, from, first + hidden - 1, lost, 0, {}});
        }
        at = next;
    }

    std::error_code error;
    if (records.empty()) {
        fs::remove(path, error);
        folderChanged_ = true;
        return {};
    }
    if (canonical) {
        if (wholeEnd < bytes.size()) {
            // A record cut short at the end: appending never goes on behind it.
            const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0 || ::ftruncate(fd, off_t(wholeEnd)) != 0) {
                const std::string text = ErrnoText("cannot repair the queue file " + path.string());
                if (fd >= 0) ::close(fd);
                return text;
            }
            ::close(fd);
        }
        segments_.push_back({number, wholeEnd, records.size()});
        return {};
    }
    return RewriteAsRuns(number, bytes, records);
}

std::string MessageQueue::RewriteAsRuns(std::uint64_t number, const std::string& bytes,
                                        const std::vector<FoundRecord>& records) {
    struct Run {
        std::uint64_t first = 0;
        std::size_t begin = 0, end = 0; // indices into records
        std::uint64_t size = 0;
    };
    std::vector<Run> runs;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (runs.empty() || records[i].sequence != records[i - 1].sequence + 1)
            runs.push_back({records[i].sequence, i, i, 0});
        runs.back().end = i + 1;
        runs.back().size += records[i].size;
    }
    std::error_code error;
    std::vector<Run> written;
    for (const Run& run : runs) {
        const fs::path target = SegmentPath(run.first);
        if (run.first != number && fs::exists(target, error)) {
            // Another file holds this name already: the run cannot be kept beside it.
            const std::uint64_t lost = run.end - run.begin;
            damaged_ += lost;
            AddLoss({LossCause::Damaged, run.first, run.first + lost - 1, lost, 0, {}});
            continue;
        }
        const fs::path temporary = target.string() + ".tmp";
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return ErrnoText("cannot repair the queue " + folder_.string());
        bool ok = true;
        for (std::size_t i = run.begin; i < run.end && ok; ++i)
            ok = WriteAll(fd, bytes.data() + records[i].offset, records[i].size);
        ok = ok && ::fdatasync(fd) == 0;
        const std::string text = ok ? "" : ErrnoText("cannot repair the queue " + folder_.string());
        ::close(fd);
        if (!ok) {
            fs::remove(temporary, error);
            return text;
        }
        written.push_back(run);
    }
    // The run that takes the original's name goes last, so that a stop in between leaves the
    // original whole (its copies are then left out as records already taken).
    std::stable_partition(written.begin(), written.end(),
                          [&](const Run& run) { return run.first != number; });
    for (const Run& run : written)
        if (::rename((SegmentPath(run.first).string() + ".tmp").c_str(),
                     SegmentPath(run.first).c_str()) != 0)
            return ErrnoText("cannot repair the queue " + folder_.string());
    if (written.empty() || written.back().first != number) fs::remove(SegmentPath(number), error);
    folderChanged_ = true;
    std::sort(written.begin(), written.end(),
              [](const Run& a, const Run& b) { return a.first < b.first; });
    for (const Run& run : written)
        segments_.push_back({run.first, run.size, run.end - run.begin});
    return {};
}

MessageQueue::Segment* MessageQueue::Find(std::uint64_t number) {
    const auto found = std::lower_bound(
        segments_.begin(), segments_.end(), number,
        [](const Segment& segment, std::uint64_t value) { return segment.first < value; });
    return found != segments_.end() && found->first == number ? &*found : nullptr;
}

const MessageQueue::Segment* MessageQueue::After(std::uint64_t number) const {
    const auto found = std::upper_bound(
        segments_.begin(), segments_.end(), number,
        [](std::uint64_t value, const Segment& segment) { return value < segment.first; });
    return found != segments_.end() ? &*found : nullptr;
}

std::uint64_t MessageQueue::StoredBytes() const {
    std::uint64_t bytes = 0;
    for (const Segment& segment : segments_)
        bytes += segment.size;
    return segments_.empty() ? 0 : bytes - head_.offset;
}

std::vector<QueueLoss> MessageQueue::TakeLosses() {
    std::vector<QueueLoss> taken;
    taken.swap(losses_);
    return taken;
}

void MessageQueue::AddLoss(QueueLoss loss) {
    if (loss.count == 0) return;
    if (!losses_.empty()) {
        QueueLoss& last = losses_.back();
        const bool followsOn = last.cause == loss.cause && last.first != 0 && loss.first != 0 &&
                               loss.first == last.last + 1 && last.reason == loss.reason;
        if (followsOn || losses_.size() >= kLossesKept) {
            last.last = std::max(last.last, loss.last);
            if (last.first == 0) last.first = loss.first;
            last.count += loss.count;
            return;
        }
    }
    losses_.push_back(std::move(loss));
}

bool MessageQueue::WriteSequenceMark(std::uint64_t mark) {
    const std::uint64_t generation = markGeneration_ + 1;
    char slot[kMarkSlotSize];
    std::memcpy(slot, kMarkMagic.data(), 4);
    PutLittle(slot + 4, mark);
    PutLittle(slot + 12, generation);
    PutLittle(slot + kMarkSlotSize - 4, codec::Crc32(std::string_view(slot, kMarkSlotSize - 4)),
              4);
    const off_t at = off_t((generation % 2) * kMarkSlotSize);
    if (::pwrite(sequenceFd_, slot, sizeof slot, at) != ssize_t(sizeof slot) ||
        ::fdatasync(sequenceFd_) != 0)
        return false;
    markGeneration_ = generation;
    reserved_ = mark;
    return true;
}

bool MessageQueue::Reserve(std::uint64_t upTo) {
    if (upTo <= reserved_) return true;
    if (WriteSequenceMark(upTo + kSequenceBlock)) return true;
    // The file may be gone with its disk (a lost mount, remounted since): by its name again.
    const int fd = ::open((folder_ / "sequence").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) {
        ::close(sequenceFd_);
        sequenceFd_ = fd;
        if (WriteSequenceMark(upTo + kSequenceBlock)) return true;
    }
    writeError_ = ErrnoText("cannot write the queue " + folder_.string());
    return false;
}

bool MessageQueue::StartTailSegment() {
    if (!segments_.empty() && segments_.back().count == 0) {
        // An empty file begun before a failed write: it gives way to the new one.
        const std::uint64_t empty = segments_.back().first;
        std::error_code error;
        fs::remove(SegmentPath(empty), error);
        segments_.pop_back();
        if (tailFd_ >= 0) ::close(tailFd_);
        tailFd_ = -1;
        if (head_.segment == empty) head_ = Position{};
        if (cursor_.segment == empty) cursor_ = head_;
    }
    const std::uint64_t number = nextSequence_;
    const int fd = ::open(SegmentPath(number).c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        writeError_ = ErrnoText("cannot write the queue " + folder_.string());
        return false;
    }
    if (tailFd_ >= 0) {
        // The file before it is complete: on the disk now, not at the next sync.
        if (tailWritten_) (void)::fdatasync(tailFd_);
        ::close(tailFd_);
    }
    tailFd_ = fd;
    tailWritten_ = false;
    folderChanged_ = true;
    numberSkipped_ = false;
    segments_.push_back(Segment{number, 0, 0});
    if (segments_.size() == 1) head_ = cursor_ = Position{number, 0, 0};
    RemoveAcknowledgedFront();
    return true;
}

// Numbers given to messages that were not stored: a consumer sees the gap.
void MessageQueue::Skip(std::uint64_t count, LossCause cause) {
    if (count == 0) return;
    AddLoss({cause, nextSequence_, nextSequence_ + count - 1, count, 0,
             cause == LossCause::Disk ? writeError_ : std::string()});
    (cause == LossCause::TooLarge ? tooLarge_ : unwritten_) += count;
    nextSequence_ += count;
    numberSkipped_ = true;
}

std::uint64_t MessageQueue::Append(std::string_view topic, std::string_view payload, bool retain,
                                   bool sequenceInJson) {
    const NewMessage message{topic, payload, retain, sequenceInJson};
    const std::uint64_t sequence = nextSequence_;
    if (Append(std::span(&message, 1)) != 1) return 0;
    return sequence;
}

std::size_t MessageQueue::Append(std::span<const NewMessage> messages) {
    if (headFd_ < 0) {
        writeError_ = "the queue is not open";
        return 0;
    }
    std::size_t stored = 0;
    std::size_t next = 0;
    std::string sequenced;
    while (next < messages.size()) {
        const std::uint64_t left = messages.size() - next;
        if (!Reserve(nextSequence_ + left)) {
            // No number can be given that is sure never to come again: lost before numbering.
            unwritten_ += left;
            AddLoss({LossCause::Disk, 0, 0, left, nextSequence_ - 1, writeError_});
            break;
        }
        if (TooLargeForRecord(messages[next])) {
            writeError_ = "a message too large for the queue was left out";
            Skip(1, LossCause::TooLarge);
            ++next;
            continue;
        }
        const bool tailMostlyDelivered = segments_.size() == 1 &&
                                         head_.segment == segments_.back().first &&
                                         head_.offset >= kDeliveredTailLimit;
        if ((segments_.empty() || numberSkipped_ || segments_.back().size >= segmentSize_ ||
             tailMostlyDelivered) &&
            !StartTailSegment()) {
            Skip(left, LossCause::Disk);
            break;
        }
        Segment& tail = segments_.back();
        // As many records as fill the segment, written at once.
        record_.clear();
        std::uint64_t count = 0;
        std::size_t end = next;
        while (end < messages.size() && tail.size + record_.size() < segmentSize_ &&
               !TooLargeForRecord(messages[end])) {
            const NewMessage& message = messages[end++];
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
            Skip(left, LossCause::Disk);
            break;
        }
        // While everything is sent at once, the records are read from memory, not the file.
        if (readValid_ && readSegment_ == tail.first &&
            readStart_ + readBuffer_.size() == tail.size && readBuffer_.size() < kReadBufferLimit)
            readBuffer_.append(record_);
        tail.size += record_.size();
        tail.count += count;
        nextSequence_ += count;
        pending_ += count;
        unsent_ += count;
        stored += count;
        next = end;
        tailWritten_ = true;
        writeError_.clear();
    }
    while (StoredBytes() > bound_ && segments_.size() > 1)
        DropOldestSegment();
    return stored;
}

void MessageQueue::DropOldestSegment() {
    const Segment front = segments_.front();
    // Messages acknowledged out of order are delivered: not counted as dropped.
    std::uint64_t acknowledgedAhead = 0;
    while (!inFlight_.empty() && inFlight_.front().end.segment == front.first) {
        if (inFlight_.front().acknowledged) ++acknowledgedAhead;
        inFlight_.pop_front();
    }
    if (cursor_.segment == front.first) unsent_ -= front.count - cursor_.index;
    const std::uint64_t waiting = front.count - head_.index;
    pending_ -= waiting;
    dropped_ += waiting - acknowledgedAhead;
    AddLoss({LossCause::Bound, front.first + head_.index, front.first + front.count - 1,
             waiting - acknowledgedAhead, 0, {}});
    RemoveFrontSegment();
}

void MessageQueue::RemoveFrontSegment() {
    const std::uint64_t number = segments_.front().first;
    std::error_code error;
    fs::remove(SegmentPath(number), error);
    folderChanged_ = true;
    if (readFd_ >= 0 && readFdSegment_ == number) {
        ::close(readFd_);
        readFd_ = -1;
    }
    if (readSegment_ == number) readValid_ = false;
    segments_.pop_front();
    const Position start =
        segments_.empty() ? Position{} : Position{segments_.front().first, 0, 0};
    if (head_.segment == number) head_ = start;
    if (cursor_.segment == number) cursor_ = start;
}

// Every front segment the head has passed leaves; the last one stays, appending goes on there.
void MessageQueue::RemoveAcknowledgedFront() {
    while (segments_.size() > 1 && head_.segment == segments_.front().first &&
           head_.index == segments_.front().count)
        RemoveFrontSegment();
}

bool MessageQueue::FillReadBuffer(const Segment& segment, std::uint64_t offset,
                                  std::size_t atLeast) {
    if (readFd_ < 0 || readFdSegment_ != segment.first) {
        if (readFd_ >= 0) ::close(readFd_);
        readFd_ = ::open(SegmentPath(segment.first).c_str(), O_RDONLY | O_CLOEXEC);
        readFdSegment_ = segment.first;
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
    readSegment_ = segment.first;
    readStart_ = offset;
    readValid_ = true;
    return got > 0;
}

// Bytes of a segment that no longer read as records (changed behind the queue's back): the
// messages in them are counted as damaged, and appending goes on in a new file.
void MessageQueue::LoseRestOfSegment(Segment& segment) {
    const std::uint64_t lost = segment.count - cursor_.index;
    AddLoss({LossCause::Damaged, segment.first + cursor_.index,
             segment.first + segment.count - 1, lost, 0, {}});
    segment.count = cursor_.index;
    segment.size = cursor_.offset;
    unsent_ -= lost;
    pending_ -= lost;
    damaged_ += lost;
    if (&segment == &segments_.back()) numberSkipped_ = true;
}

std::optional<codec::QueuedMessage> MessageQueue::NextUnsent() {
    while (unsent_ > 0) {
        Segment* segment = Find(cursor_.segment);
        if (!segment) return std::nullopt;
        if (cursor_.index >= segment->count) {
            const Segment* next = After(segment->first);
            if (!next) return std::nullopt;
            cursor_ = Position{next->first, 0, 0};
            continue;
        }
        const bool inBuffer = readValid_ && readSegment_ == segment->first &&
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
        if (record.status != codec::RecordStatus::Complete ||
            record.message.sequence != segment->first + cursor_.index) {
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
        RemoveAcknowledgedFront();
    }
}

void MessageQueue::SaveHead() {
    if (headFd_ < 0) return;
    const std::uint64_t headSequence =
        segments_.empty() ? nextSequence_ : head_.segment + head_.index;
    if (headSequence != savedHeadSequence_) {
        char saved[kHeadFileSize];
        std::memcpy(saved, kHeadMagic.data(), 4);
        PutLittle(saved + 4, headSequence);
        PutLittle(saved + 12, nextSequence_);
        const std::uint32_t crc = codec::Crc32(std::string_view(saved, kHeadFileSize - 4));
        PutLittle(saved + kHeadFileSize - 4, crc, 4);
        if (::pwrite(headFd_, saved, sizeof saved, 0) != ssize_t(sizeof saved)) {
            // As the sequence file: by its name again, and locked, for the next time.
            const int fd = ::open((folder_ / "head").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
            if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
                ::close(headFd_);
                headFd_ = fd;
            } else if (fd >= 0) {
                ::close(fd);
            }
            return;
        }
        savedHeadSequence_ = headSequence;
        headWritten_ = true;
    }

    // Everything has left: the files go, after the head above says so. The numbers are kept
    // by the mark, which is always ahead of them.
    if (pending_ == 0 && !segments_.empty()) {
        std::error_code error;
        for (const Segment& segment : segments_)
            fs::remove(SegmentPath(segment.first), error);
        segments_.clear();
        for (int* fd : {&tailFd_, &readFd_})
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
        head_ = cursor_ = Position{};
        readValid_ = false;
        inFlight_.clear();
        tailWritten_ = false;
        folderChanged_ = true;
    }
}

std::vector<int> MessageQueue::FilesToSync() {
    std::vector<int> files;
    if (headFd_ < 0) return files;
    if (tailWritten_ && tailFd_ >= 0) files.push_back(::dup(tailFd_));
    if (headWritten_) files.push_back(::dup(headFd_));
    if (folderChanged_) files.push_back(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    tailWritten_ = headWritten_ = folderChanged_ = false;
    std::erase_if(files, [](int fd) { return fd < 0; });
    return files;
}

} // namespace undarix::link
