// The records of the network output's queue: read back as written, and a record cut short or
// changed is told apart from a good one.

#include "link/codec/QueueRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace undarix::link::codec {
namespace {

TEST(QueueRecord, ReadsBackWhatWasWrittenAndTellsDamage) {
    std::string bytes;
    AppendRecord({42, true, "undarix/pc1/4/line", std::string("A004\r\n\0x", 8)}, bytes);
    ASSERT_EQ(bytes.size(), RecordSize(18, 8));

    // The decoded message views the buffer, which must outlive it.
    const std::string followed = bytes + "next";
    const DecodedRecord whole = DecodeRecord(followed);
    ASSERT_EQ(whole.status, RecordStatus::Complete);
    EXPECT_EQ(whole.size, bytes.size());
    EXPECT_EQ(whole.message.sequence, 42u);
    EXPECT_TRUE(whole.message.retain);
    EXPECT_EQ(whole.message.topic, "undarix/pc1/4/line");
    EXPECT_EQ(whole.message.payload, std::string("A004\r\n\0x", 8));

    struct Case {
        const char* name;
        std::string bytes;
        RecordStatus status;
    };
    std::string flipped = bytes;
    flipped[25] ^= 0x01;
    std::string hugeLength = bytes;
    hugeLength[7] = char(0x7F);
    const std::vector<Case> cases = {
        {"empty", "", RecordStatus::Incomplete},
        {"part of the magic", bytes.substr(0, 2), RecordStatus::Incomplete},
        {"cut in the body", bytes.substr(0, bytes.size() - 1), RecordStatus::Incomplete},
        {"a changed byte", flipped, RecordStatus::Damaged},
        {"not a record", "hello world, no record here", RecordStatus::Damaged},
        {"an impossible length", hugeLength, RecordStatus::Damaged},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeRecord(c.bytes).status, c.status) << c.name;
}

TEST(QueueRecord, Crc32IsTheStandardOne) {
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc32(""), 0u);
}

} // namespace
} // namespace undarix::link::codec
