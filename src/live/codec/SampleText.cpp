#include "live/codec/SampleText.h"

#include "link/codec/DecimalText.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace undarix::live::codec {
namespace {

using link::codec::Field;
using link::codec::ReadDecimal;
using link::codec::ReadDecimalReal;

constexpr std::size_t kTypePos = 6;
constexpr std::size_t kFieldPos = 8;
constexpr std::size_t kRatePos = 9;
constexpr std::size_t kValuePos = 12;

std::uint8_t Byte(std::string_view text, std::size_t pos) {
    return std::uint8_t(text[pos]);
}

std::int16_t Int16LsbFirst(std::string_view text, std::size_t pos) {
    return std::int16_t(std::uint16_t(Byte(text, pos) | Byte(text, pos + 1) << 8));
}

float FloatLsbFirst(std::string_view text, std::size_t pos) {
    const std::uint32_t bits =
        std::uint32_t(Byte(text, pos)) | std::uint32_t(Byte(text, pos + 1)) << 8 |
        std::uint32_t(Byte(text, pos + 2)) << 16 | std::uint32_t(Byte(text, pos + 3)) << 24;
    return std::bit_cast<float>(bits);
}

char BatteryFromLetter(char letter) {
    switch (letter) {
    case 'G': return '0';
    case 'L': return '2';
    case 'B': return '3';
    default: return 0;
    }
}

// Bytes per sample of each block kind.
int SampleSize(char kind) {
    switch (kind) {
    case 'A': return 6;
    case 'F': return 4;
    case 'I':
    case 'i': return 2;
    default: return 0;
    }
}

} // namespace

SingleRecord DecodeSingleRecord(std::string_view text, bool tenths) {
    SingleRecord record;
    record.deviceNumber = ReadDecimal(Field(text, 1));
    if (text.size() <= kTypePos) return record;
    const char type = text[kTypePos];
    switch (type) {
    case '1': {
        if (text.size() <= kValuePos) return record;
        record.sampleRate = ReadDecimal(Field(text, kRatePos, 2));
        const std::string_view value = Field(text, kValuePos);
        record.value = tenths ? float(ReadDecimalReal(value).value / 10000.0)
                              : float(ReadDecimal(value) / 1000.0);
        break;
    }
    case '8':
        if (text.size() < kFieldPos + sizeof record.date) return record;
        std::memcpy(record.date, text.data() + kFieldPos, sizeof record.date);
        break;
    case '9':
        if (text.size() < kFieldPos + sizeof record.time) return record;
        std::memcpy(record.time, text.data() + kFieldPos, sizeof record.time);
        break;
    case '7':
        if (text.size() <= kFieldPos) return record;
        record.batteryStatus = BatteryFromLetter(text[kFieldPos]);
        break;
    case '4':
        if (text.size() <= kFieldPos) return record;
        record.airTemperature = float(ReadDecimalReal(Field(text, kFieldPos)).value);
        break;
    default: break;
    }
    record.type = type;
    return record;
}

BlockHeader DecodeBlockHeader(std::string_view text) {
    BlockHeader header;
    header.deviceNumber = ReadDecimal(Field(text, 1));
    header.sampleRate = ReadDecimal(Field(text, 6));
    if (text.size() > 10) header.batteryStatus = text[10];
    if (text.size() >= kBlockTimeStampPos + kTimeStampLength) {
        std::memcpy(header.timeStamp, text.data() + kBlockTimeStampPos, kTimeStampLength);
        header.hasTimeStamp = true;
    }
    return header;
}

int BlockSampleCount(char kind) {
    switch (kind) {
    case 'A':
    case 'F': return 32;
    case 'I': return 64;
    case 'i': return 60;
    default: return 0;
    }
}

std::size_t BlockTextLength(char kind) {
    return kBlockSamplesPos + std::size_t(BlockSampleCount(kind) * SampleSize(kind));
}

int DecodeBlockSamples(std::string_view text, float* out) {
    if (text.empty()) return 0;
    const char kind = text[0];
    const int count = BlockSampleCount(kind);
    if (count == 0 || text.size() < BlockTextLength(kind)) return 0;
    const std::size_t size = std::size_t(SampleSize(kind));
    for (int k = 0; k < count; ++k) {
        const std::size_t pos = kBlockSamplesPos + std::size_t(k) * size;
        switch (kind) {
        case 'A': out[k] = float(ReadDecimal(text.substr(pos, size)) / 1000.0); break;
        case 'F': out[k] = FloatLsbFirst(text, pos); break;
        default: out[k] = float(Int16LsbFirst(text, pos) / 1000.0); break;
        }
    }
    return count;
}

void ParseTimeStamp(std::string_view text, int out[6]) {
    constexpr std::size_t kPositions[6] = {0, 5, 8, 11, 14, 17};
    for (int i = 0; i < 6; ++i)
        out[i] = ReadDecimal(Field(text, kPositions[i]));
}

} // namespace undarix::live::codec
