#pragma once

// One message of the network output's on-disk queue, as it is stored: a record that tells
// its own length and carries a checksum, so that a record cut short by a crash or a full disk
// is recognised on the next start and never sent half.
//
//   offset  size  content (integers little-endian)
//   0       4     "UQM1"
//   4       4     body length B (sequence number to the end of the payload)
//   8       8     sequence number
//   16      1     flags: bit 0 = retained
//   17      2     topic length T
//   19      T     topic
//   19+T    ...   payload (B - 11 - T bytes)
//   8+B     4     CRC-32 of the body

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace undarix::link::codec {

inline constexpr std::size_t kRecordOverhead = 4 + 4 + 8 + 1 + 2 + 4;
inline constexpr std::string_view kRecordMagic = "UQM1";
// MQTT's own limit of a topic; a longer one is refused rather than stored.
inline constexpr std::size_t kMaxTopicLength = 65535;
// Far above any line or JSON payload of the program; a larger length is damage.
inline constexpr std::size_t kMaxPayloadLength = 1 << 20;

struct QueuedMessage {
    std::uint64_t sequence = 0;
    bool retain = false;
    std::string_view topic;
    std::string_view payload;
};

// Appends the record of `message` to `out`. The topic must fit kMaxTopicLength and the
// payload kMaxPayloadLength.
void AppendRecord(const QueuedMessage& message, std::string& out);

[[nodiscard]] std::size_t RecordSize(std::size_t topicLength, std::size_t payloadLength);

enum class RecordStatus { Complete, Incomplete, Damaged };

struct DecodedRecord {
    RecordStatus status = RecordStatus::Incomplete;
    std::size_t size = 0;  // bytes the record takes, when complete
    QueuedMessage message; // views into the buffer, when complete
};

// Reads the record at the start of `bytes`. Incomplete: the buffer ends inside it (at the end
// of a file: a write cut short). Damaged: the bytes are no record of this kind.
[[nodiscard]] DecodedRecord DecodeRecord(std::string_view bytes);

// The offset of the first complete record at or after `from`, by its magic, length and CRC;
// the size of `bytes` when there is none. How a reader finds its way past damage.
[[nodiscard]] std::size_t FindNextRecord(std::string_view bytes, std::size_t from);

[[nodiscard]] std::uint32_t Crc32(std::string_view bytes);

} // namespace undarix::link::codec
