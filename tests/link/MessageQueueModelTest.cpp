// The on-disk queue against a plain in-memory model, over seeded random runs of appending,
// sending, acknowledging (in and out of order), losing the connection, restarting, and
// damage done to the stopped queue: a crash cut at any byte, a changed byte, a removed
// segment, head or sequence file. Every intact message stored and not acknowledged is
// delivered, in order; no sequence number ever names two messages; every count the queue
// reports is the model's.

#include "link/MessageQueue.h"
#include "link/codec/QueueRecord.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace undarix::link {
namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 10'000;

struct Entry {
    std::uint64_t sequence = 0;
    std::string payload;
    bool acknowledged = false;
};

// A record as it lies in a segment file, read with the record format itself.
struct OnDisk {
    fs::path file;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t sequence = 0;
};

std::vector<fs::path> SegmentFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".seg") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<OnDisk> ReadRecords(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<OnDisk> records;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const codec::DecodedRecord record = codec::DecodeRecord(std::string_view(bytes).substr(at));
        if (record.status != codec::RecordStatus::Complete) break;
        records.push_back({file, at, record.size, record.message.sequence});
        at += record.size;
    }
    return records;
}

class QueueModelRun {
public:
    QueueModelRun(const fs::path& folder, std::uint64_t seed) : folder_(folder), random_(seed) {}

    void Run() {
        fs::remove_all(folder_);
        bound_ = Pick(0, 3) == 0 ? 4096 : 64 * 1024;
        Open();
        const int steps = Pick(5, 40);
        for (int step = 0; step < steps && !::testing::Test::HasFatalFailure(); ++step) {
            switch (Pick(0, 19)) {
            case 0: case 1: case 2: case 3: case 4: Append(); break;
            case 5: case 6: case 7: case 8: Send(); break;
            case 9: case 10: case 11: case 12: Acknowledge(); break;
            case 13: Rewind(); break;
            case 14: queue_.SaveHead(); break;
            case 15: Restart(); break;
            default: DamageAndRestart(); break;
            }
            Check();
        }
        // Everything left arrives, in order.
        Rewind();
        while (!model_.empty() && !::testing::Test::HasFailure()) {
            SendOne();
            queue_.Acknowledge(model_.front().sequence);
            model_.pop_front();
            cursor_ = 0;
        }
        EXPECT_FALSE(queue_.NextUnsent());
        EXPECT_EQ(queue_.Pending(), 0u);
        queue_.Close();
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    void Open() {
        ASSERT_EQ(queue_.Open(folder_, bound_), "");
        for (const QueueLoss& loss : queue_.TakeLosses())
            ASSERT_EQ(loss.cause, LossCause::Damaged);
        cursor_ = 0;
        for (Entry& entry : model_)
            entry.acknowledged = false;
        EXPECT_EQ(queue_.Damaged(), damaged_) << "damaged on disk";
        damaged_ = 0;
    }

    void Append() {
        const int count = Pick(1, 8);
        for (int i = 0; i < count; ++i) {
            std::string payload = "m" + std::to_string(serial_++) + ":";
            payload.append(std::size_t(Pick(0, 60)), char('a' + Pick(0, 25)));
            const std::uint64_t sequence = queue_.Append("t/line", payload, false);
            ASSERT_NE(sequence, 0u) << queue_.WriteError();
            ASSERT_GT(sequence, last_) << "numbers rise";
            ASSERT_FALSE(named_.contains(sequence)) << "number used twice";
            named_[sequence] = payload;
            last_ = sequence;
            model_.push_back({sequence, payload, false});
            // Past the bound the oldest leave, told with their numbers; what was acknowledged
            // is not counted.
            for (const QueueLoss& loss : queue_.TakeLosses()) {
                ASSERT_EQ(loss.cause, LossCause::Bound);
                std::uint64_t waiting = 0;
                while (!model_.empty() && model_.front().sequence <= loss.last) {
                    ASSERT_GE(model_.front().sequence, loss.first);
                    if (!model_.front().acknowledged) ++waiting;
                    model_.pop_front();
                    if (cursor_ > 0) --cursor_;
                }
                EXPECT_EQ(loss.count, waiting);
            }
        }
    }

    void SendOne() {
        const auto message = queue_.NextUnsent();
        if (cursor_ >= model_.size()) {
            ASSERT_FALSE(message) << message->sequence;
            return;
        }
        ASSERT_TRUE(message) << "message " << model_[cursor_].sequence << " not sent";
        ASSERT_EQ(message->sequence, model_[cursor_].sequence);
        ASSERT_EQ(message->payload, model_[cursor_].payload);
        ++cursor_;
    }

    void Send() {
        const int count = Pick(1, 12);
        for (int i = 0; i < count && !::testing::Test::HasFatalFailure(); ++i)
            SendOne();
    }

    void Acknowledge() {
        if (cursor_ == 0) return;
        const int count = Pick(1, int(cursor_));
        for (int i = 0; i < count; ++i) {
            // In order mostly, out of order now and then.
            std::size_t index = 0;
            if (Pick(0, 2) == 0) index = std::size_t(Pick(0, int(cursor_) - 1));
            while (index < cursor_ && model_[index].acknowledged)
                ++index;
            if (index >= cursor_) break;
            model_[index].acknowledged = true;
            queue_.Acknowledge(model_[index].sequence);
            while (cursor_ > 0 && model_.front().acknowledged) {
                model_.pop_front();
                --cursor_;
            }
        }
    }

    void Rewind() {
        queue_.RewindUnsent();
        cursor_ = 0;
        for (Entry& entry : model_)
            entry.acknowledged = false;
    }

    void Restart() {
        queue_.Close();
        Open();
    }

    void Forget(std::uint64_t sequence, bool damaged) {
        const auto found = std::find_if(model_.begin(), model_.end(),
                                        [&](const Entry& e) { return e.sequence == sequence; });
        if (found == model_.end()) return;
        model_.erase(found);
        if (damaged) ++damaged_;
    }

    void DamageAndRestart() {
        queue_.Close();
        const std::vector<fs::path> files = SegmentFiles(folder_);
        const int what = Pick(0, 7) % 6; // the files' damage more often than lost state
        if (what <= 2 && files.empty()) return Open();
        if (what <= 2) {
            const fs::path file = files[std::size_t(Pick(0, int(files.size()) - 1))];
            const std::vector<OnDisk> records = ReadRecords(file);
            const std::uint64_t size = fs::file_size(file);
            if (size == 0) return Open();
            if (what == 0) {
                // A crash: the file ends at any byte. A record cut is damaged; what lay after
                // it was never written.
                const std::uint64_t cut = std::uint64_t(Pick(0, int(size)));
                fs::resize_file(file, cut);
                for (const OnDisk& record : records)
                    if (record.offset + record.size > cut) Forget(record.sequence, record.offset < cut);
            } else if (what == 1) {
                // One byte changed.
                const std::uint64_t at = std::uint64_t(Pick(0, int(size) - 1));
                std::fstream io(file, std::ios::in | std::ios::out | std::ios::binary);
                io.seekg(std::streamoff(at));
                char byte = 0;
                io.read(&byte, 1);
                byte = char(byte ^ Pick(1, 255));
                io.seekp(std::streamoff(at));
                io.write(&byte, 1);
                io.close();
                for (const OnDisk& record : records)
                    if (at >= record.offset && at < record.offset + record.size)
                        Forget(record.sequence, true);
            } else {
                // A segment file removed: only its own messages are gone.
                fs::remove(file);
                for (const OnDisk& record : records)
                    Forget(record.sequence, false);
            }
        } else {
            const bool head = what == 3 || what == 5;
            const bool sequence = what == 4 || what == 5;
            if (sequence) {
                fs::remove(folder_ / "sequence");
                // The numbers start from the clock then: at most a thousand a millisecond
                // since the earlier start, as no station comes near.
                while (ClockStartSequence() <= last_)
                    std::this_thread::yield();
            }
            if (head) {
                // No head: everything on disk goes again, acknowledged or not.
                fs::remove(folder_ / "head");
                model_.clear();
                for (const fs::path& file : files)
                    for (const OnDisk& record : ReadRecords(file))
                        model_.push_back({record.sequence, named_.at(record.sequence), false});
            }
        }
        Open();
    }

    void Check() {
        ASSERT_EQ(queue_.Pending(), model_.size()) << "stored, not acknowledged";
        ASSERT_EQ(queue_.Unsent(), model_.size() - cursor_) << "not sent";
        ASSERT_EQ(queue_.InFlight(), cursor_) << "on the wire";
    }

    fs::path folder_;
    std::mt19937_64 random_;
    std::uint64_t bound_ = 0;
    MessageQueue queue_;
    std::deque<Entry> model_; // from the first not acknowledged, in order
    std::size_t cursor_ = 0;  // model_[0, cursor_) sent
    std::map<std::uint64_t, std::string> named_;
    std::uint64_t last_ = 0;
    std::uint64_t damaged_ = 0; // since the last open
    int serial_ = 0;
};

TEST(MessageQueueModel, TenThousandRandomRunsAgreeWithThePlainModel) {
    // In memory where there is a memory file system: the runs force many small writes.
    QTemporaryDir dir(fs::exists("/dev/shm") ? "/dev/shm/undarix-queue-model-XXXXXX"
                                             : QString());
    ASSERT_TRUE(dir.isValid());
    const fs::path folder = fs::path(dir.path().toStdString()) / "q";
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE("seed " + std::to_string(run));
        QueueModelRun(folder, std::uint64_t(run)).Run();
        if (::testing::Test::HasFailure()) break;
    }
}

} // namespace
} // namespace undarix::link
