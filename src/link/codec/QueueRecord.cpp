#include "link/codec/QueueRecord.h"

#include <algorithm>
#include <array>

namespace undarix::link::codec {
namespace {

constexpr std::string_view kMagic = kRecordMagic;
constexpr std::size_t kHeadSize = 8; // magic and body length
constexpr std::size_t kFixedBody = 8 + 1 + 2;
constexpr std::size_t kCrcSize = 4;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

void PutLittle(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(char((value >> (8 * i)) & 0xFF));
}

std::uint64_t GetLittle(const char* in, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | std::uint8_t(in[i]);
    return value;
}

} // namespace

std::uint32_t Crc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes)
        crc = kCrcTable[(crc ^ std::uint8_t(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::size_t RecordSize(std::size_t topicLength, std::size_t payloadLength) {
    return kRecordOverhead + topicLength + payloadLength;
}

void AppendRecord(const QueuedMessage& message, std::string& out) {
    const std::size_t body = kFixedBody + message.topic.size() + message.payload.size();
    out.append(kMagic);
    PutLittle(out, body, 4);
    const std::size_t bodyStart = out.size();
    PutLittle(out, message.sequence, 8);
    out.push_back(message.retain ? 1 : 0);
    PutLittle(out, message.topic.size(), 2);
    out.append(message.topic);
    out.append(message.payload);
    PutLittle(out, Crc32(std::string_view(out).substr(bodyStart, body)), 4);
}

DecodedRecord DecodeRecord(std::string_view bytes) {
    DecodedRecord record;
    const std::size_t magicSeen = std::min(bytes.size(), kMagic.size());
    if (bytes.substr(0, magicSeen) != kMagic.substr(0, magicSeen)) {
        record.status = RecordStatus::Damaged;
        return record;
    }
    if (bytes.size() < kHeadSize) return record;
    const std::size_t body = std::size_t(GetLittle(bytes.data() + 4, 4));
    if (body < kFixedBody || body > kFixedBody + kMaxTopicLength + kMaxPayloadLength) {
        record.status = RecordStatus::Damaged;
        return record;
    }
    const std::size_t total = kHeadSize + body + kCrcSize;
    if (bytes.size() < total) return record;
    const std::string_view bodyBytes = bytes.substr(kHeadSize, body);
    const std::size_t topicLength = std::size_t(GetLittle(bodyBytes.data() + 9, 2));
    if (Crc32(bodyBytes) != std::uint32_t(GetLittle(bytes.data() + kHeadSize + body, 4)) ||
        topicLength > body - kFixedBody || std::uint8_t(bodyBytes[8]) > 1) {
        record.status = RecordStatus::Damaged;
        return record;
    }
    record.status = RecordStatus::Complete;
    record.size = total;
    record.message.sequence = GetLittle(bodyBytes.data(), 8);
    record.message.retain = bodyBytes[8] == 1;
    record.message.topic = bodyBytes.substr(kFixedBody, topicLength);
    record.message.payload = bodyBytes.substr(kFixedBody + topicLength);
    return record;
}

std::size_t FindNextRecord(std::string_view bytes, std::size_t from) {
    while (from < bytes.size()) {
        const std::size_t at = bytes.find(kMagic, from);
        if (at == std::string_view::npos) break;
        if (DecodeRecord(bytes.substr(at)).status == RecordStatus::Complete) return at;
        from = at + 1;
    }
    return bytes.size();
}

} // namespace undarix::link::codec
