// The network output's on-disk queue: order, acknowledgement, the restart of the program, a
// record cut short by a crash, and the bound.

#include "link/MessageQueue.h"
#include "link/codec/QueueRecord.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace undarix::link {
namespace {

namespace fs = std::filesystem;

std::string Payload(int i) {
    return "A001,S32,B0,2026-12-07T12:00:00," + std::to_string(i) + "\r\n";
}

// Takes every unsent message, acknowledging the first `acknowledge` of them.
std::vector<std::uint64_t> SendAll(MessageQueue& queue, std::size_t acknowledge = SIZE_MAX) {
    std::vector<std::uint64_t> sent;
    while (const auto message = queue.NextUnsent())
        sent.push_back(message->sequence);
    for (std::size_t i = 0; i < sent.size() && i < acknowledge; ++i)
        queue.Acknowledge(sent[i]);
    return sent;
}

fs::path OnlySegment(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".seg") return entry.path();
    return {};
}

std::uintmax_t SegmentBytes(const fs::path& folder) {
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".seg") bytes += entry.file_size();
    return bytes;
}

class MessageQueueTest : public ::testing::Test {
protected:
    // In memory where there is a memory file system: the queue forces its files to the disk.
    QTemporaryDir dir{fs::exists("/dev/shm") ? "/dev/shm/undarix-queue-XXXXXX" : QString()};
    fs::path folder = fs::path(dir.path().toStdString()) / "q.mqtt-queue";
};

TEST_F(MessageQueueTest, MessagesLeaveInOrderAndOnlyWhenAcknowledged) {
    MessageQueue queue;
    ASSERT_EQ(queue.Open(folder), "");
    const std::uint64_t n = queue.NextSequence();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(queue.Append("t/line", Payload(i), false), n + std::uint64_t(i));
    EXPECT_EQ(queue.Pending(), 5u);

    const auto first = queue.NextUnsent();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->topic, "t/line");
    EXPECT_EQ(first->payload, Payload(0));
    const auto second = queue.NextUnsent();
    ASSERT_TRUE(second);
    // Acknowledgements out of order: the head waits for the first.
    queue.Acknowledge(second->sequence);
    EXPECT_EQ(queue.Pending(), 5u);
    queue.Acknowledge(first->sequence);
    EXPECT_EQ(queue.Pending(), 3u);

    // The connection drops with one message on the wire: it is sent again, first.
    const auto third = queue.NextUnsent();
    ASSERT_TRUE(third);
    queue.RewindUnsent();
    EXPECT_EQ(SendAll(queue), (std::vector<std::uint64_t>{n + 2, n + 3, n + 4}));
    EXPECT_EQ(queue.Pending(), 0u);
    queue.SaveHead();
    EXPECT_EQ(SegmentBytes(folder), 0u) << "the drained queue is emptied";
}

TEST_F(MessageQueueTest, JsonPayloadsGetTheSequenceNumberAsTheirFirstMember) {
    struct Case {
        std::string object;
        std::string stored;
    };
    const std::vector<Case> cases = {
        {R"({"device":4})", R"({"seq":N,"device":4})"},
        {"{}", R"({"seq":N})"},
        {"{ }", R"({"seq":N })"},
    };
    MessageQueue queue;
    ASSERT_EQ(queue.Open(folder), "");
    for (const Case& c : cases)
        queue.Append("t/samples", c.object, false, true);
    for (const Case& c : cases) {
        const auto message = queue.NextUnsent();
        ASSERT_TRUE(message);
        std::string stored = c.stored;
        stored.replace(stored.find('N'), 1, std::to_string(message->sequence));
        EXPECT_EQ(message->payload, stored);
    }
}

TEST_F(MessageQueueTest, ARestartSendsWhatWasNotAcknowledgedAndGoesOnWithTheNumbers) {
    std::uint64_t n = 0;
    {
        MessageQueue queue;
        ASSERT_EQ(queue.Open(folder), "");
        n = queue.NextSequence();
        for (int i = 0; i < 10; ++i)
            queue.Append("t/line", Payload(i), false);
        SendAll(queue, 4); // 1 to 4 acknowledged, 5 to 10 sent and not
    }
    MessageQueue queue;
    ASSERT_EQ(queue.Open(folder), "");
    EXPECT_EQ(queue.Pending(), 6u);
    const auto next = queue.NextUnsent();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->sequence, n + 4);
    EXPECT_EQ(next->payload, Payload(4));
    EXPECT_EQ(queue.Append("t/line", Payload(10), false), n + 10);

    // Drained and emptied, the numbers still go on after another restart.
    queue.RewindUnsent();
    SendAll(queue);
    queue.Close();
    ASSERT_EQ(queue.Open(folder), "");
    EXPECT_EQ(queue.Pending(), 0u);
    EXPECT_EQ(queue.Append("t/line", Payload(11), false), n + 11);
}

TEST_F(MessageQueueTest, ARecordCutShortByACrashIsRemovedAndTheOthersKept) {
    struct Case {
        const char* name;
        std::size_t cut; // bytes taken from the end of the last record
        std::string garbage;
    };
    const std::vector<Case> cases = {
        {"cut in the body", 7, ""},
        {"cut in the header", codec::RecordSize(6, Payload(2).size()) - 3, ""},
        {"garbage after the records", 0, "\x01\x02junk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder);
        {
            MessageQueue queue;
            ASSERT_EQ(queue.Open(folder), "");
            for (int i = 0; i < 3; ++i)
                queue.Append("t/line", Payload(i), false);
        }
        const fs::path segment = OnlySegment(folder);
        fs::resize_file(segment, fs::file_size(segment) - c.cut);
        std::ofstream(segment, std::ios::app | std::ios::binary) << c.garbage;

        MessageQueue queue;
        ASSERT_EQ(queue.Open(folder), "");
        const std::uint64_t whole = c.cut > 0 ? 2 : 3;
        EXPECT_EQ(queue.Pending(), whole);
        EXPECT_EQ(SendAll(queue).size(), whole);
        // Appending goes on behind the good records, never behind the damage.
        queue.Append("t/line", Payload(9), false);
        const auto last = queue.NextUnsent();
        ASSERT_TRUE(last);
        EXPECT_EQ(last->payload, Payload(9));
    }
}

TEST_F(MessageQueueTest, PastTheBoundTheOldestAreDroppedAndCounted) {
    const std::uint64_t bound = 16 * 1024;
    MessageQueue queue;
    ASSERT_EQ(queue.Open(folder, bound), "");
    const std::uint64_t n = queue.NextSequence();
    const int total = 1000;
    for (int i = 0; i < total; ++i)
        ASSERT_NE(queue.Append("t/line", Payload(i), false), 0u);
    EXPECT_LE(queue.StoredBytes(), bound);
    EXPECT_LE(SegmentBytes(folder), bound + 2048);
    EXPECT_GT(queue.Dropped(), 0u);
    EXPECT_EQ(queue.Dropped() + queue.Pending(), std::uint64_t(total));

    // What is left is the newest, in order, up to the last.
    const std::uint64_t dropped = queue.Dropped();
    const std::vector<std::uint64_t> sent = SendAll(queue);
    ASSERT_EQ(sent.size(), total - dropped);
    for (std::size_t i = 0; i < sent.size(); ++i)
        EXPECT_EQ(sent[i], n + dropped + i);
}

TEST_F(MessageQueueTest, MessagesOnTheWireWhenTheirSegmentIsDroppedAreNotCountedTwice) {
    MessageQueue queue;
    ASSERT_EQ(queue.Open(folder, 8 * 1024), "");
    for (int i = 0; i < 20; ++i)
        queue.Append("t/line", Payload(i), false);
    std::vector<std::uint64_t> onWire;
    for (int i = 0; i < 5; ++i)
        onWire.push_back(queue.NextUnsent()->sequence);
    for (int i = 20; i < 400; ++i)
        queue.Append("t/line", Payload(i), false);
    // Late acknowledgements of dropped messages change nothing.
    for (const std::uint64_t sequence : onWire)
        queue.Acknowledge(sequence);
    EXPECT_EQ(queue.Dropped() + queue.Pending(), 400u);
    queue.RewindUnsent();
    const std::vector<std::uint64_t> sent = SendAll(queue);
    EXPECT_EQ(queue.Pending(), 0u);
    EXPECT_EQ(queue.Dropped() + sent.size(), 400u);
}

// Sixteen records of 64 bytes fill a segment of a 16 KiB queue exactly.
TEST_F(MessageQueueTest, EverySegmentTheHeadHasPassedLeavesAndTheCountsNeverWrap) {
    const std::string payload(64 - codec::RecordSize(6, 0), 'x');
    MessageQueue queue;
    ASSERT_EQ(queue.Open(folder, 16 * 1024), "");
    for (int i = 0; i < 16; ++i)
        queue.Append("t/line", payload, false);
    ASSERT_EQ(SegmentBytes(folder), 1024u);
    // 1 to 15 confirmed, then the connection drops: the 16th goes again.
    SendAll(queue, 15);
    queue.RewindUnsent();
    const std::vector<std::uint64_t> again = SendAll(queue);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(queue.Pending(), 0u);

    // The last record of a full segment confirmed before the next segment exists: the next
    // one still goes out, and the acknowledged segment leaves once it is begun.
    queue.Append("t/line", payload, false);
    EXPECT_EQ(SendAll(queue).size(), 1u);
    EXPECT_EQ(queue.Pending(), 0u);
    for (int round = 0; round < 50; ++round) {
        for (int i = 0; i < 16; ++i)
            queue.Append("t/line", payload, false);
        SendAll(queue);
    }
    EXPECT_LE(SegmentBytes(folder), 2048u) << "acknowledged segments stay";

    // A long outage past the bound: what is dropped was never acknowledged, and nothing
    // wraps.
    for (int i = 0; i < 2000; ++i)
        queue.Append("t/line", payload, false);
    EXPECT_LT(queue.Pending(), 2000u);
    EXPECT_EQ(queue.Pending() + queue.Dropped(), 2000u);
    const std::uint64_t pending = queue.Pending();
    EXPECT_EQ(SendAll(queue).size(), pending);
    EXPECT_EQ(queue.Pending(), 0u);
}

TEST_F(MessageQueueTest, DeliveredMessagesLeaveTheDiskWhileTheFlowNeverStops) {
    // One message always on its way, as on a connected station: the head never reaches the
    // end, yet what is delivered must not fill a small disk up to the 62.5 MB of a segment.
    const std::string payload(1000, 'x');
    MessageQueue queue;
    ASSERT_EQ(queue.Open(folder), "");
    queue.Append("t/line", payload, false);
    for (int i = 0; i < 2000; ++i) {
        const std::uint64_t sent = queue.NextUnsent()->sequence;
        queue.Append("t/line", payload, false);
        queue.Acknowledge(sent);
        queue.SaveHead();
    }
    EXPECT_EQ(queue.Pending(), 1u);
    EXPECT_LT(SegmentBytes(folder), 600u * 1024) << "delivered messages stay on the disk";
    // The one still waiting goes out, also after a restart.
    queue.Close();
    ASSERT_EQ(queue.Open(folder), "");
    EXPECT_EQ(SendAll(queue).size(), 1u);
    EXPECT_EQ(queue.Damaged(), 0u);
}

TEST_F(MessageQueueTest, TwoProgramsNeverShareAQueue) {
    MessageQueue first;
    ASSERT_EQ(first.Open(folder), "");
    MessageQueue second;
    const std::string problem = second.Open(folder);
    EXPECT_NE(problem.find("in use by another program"), std::string::npos) << problem;
    first.Close();
    EXPECT_EQ(second.Open(folder), "");
}

TEST_F(MessageQueueTest, AFolderThatCannotBeMadeIsToldWithItsReason) {
    const fs::path file = fs::path(dir.path().toStdString()) / "plain-file";
    std::ofstream(file) << "x";
    MessageQueue queue;
    const std::string problem = queue.Open(file / "queue");
    EXPECT_NE(problem.find("cannot make the queue folder"), std::string::npos) << problem;
    EXPECT_EQ(queue.Append("t", "p", false), 0u);
}

} // namespace
} // namespace undarix::link
