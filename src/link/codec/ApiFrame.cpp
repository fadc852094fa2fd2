#include "link/codec/ApiFrame.h"

#include <algorithm>
#include <cstring>

namespace undarix::link::codec {
namespace {

void PutAddress(std::uint64_t address, std::uint8_t* out) {
    for (int i = 0; i < 8; ++i) out[i] = std::uint8_t(address >> (56 - 8 * i));
}

std::size_t AppendText(const std::uint8_t* text, std::size_t count, std::uint8_t* frameData,
                       std::size_t header) {
    const std::size_t room = kMaxFrameData - header;
    const std::size_t n = std::min(count, room);
    std::copy_n(text, n, frameData + header);
    return header + n;
}

} // namespace

std::uint8_t FrameChecksum(const std::uint8_t* frameData, std::size_t count) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum = std::uint8_t(sum + frameData[i]);
    return std::uint8_t(0xFF - sum);
}

std::size_t EncodeApiFrame(const std::uint8_t* frameData, std::size_t count, std::uint8_t* out) {
    count = std::min(count, kMaxFrameData);
    std::size_t n = 0;
    auto put = [&](std::uint8_t byte) {
        if (NeedsEscape(byte)) {
            out[n++] = kEscape;
            out[n++] = std::uint8_t(byte ^ kEscapeXor);
        } else {
            out[n++] = byte;
        }
    };
    out[n++] = kStartDelimiter;
    put(0x00);
    put(std::uint8_t(count));
    for (std::size_t i = 0; i < count; ++i) put(frameData[i]);
    put(FrameChecksum(frameData, count));
    return n;
}

std::size_t BuildTransmitRequest(std::uint64_t destination, const std::uint8_t* text,
                                 std::size_t count, std::uint8_t* frameData) {
    frameData[0] = kTransmitRequest;
    frameData[1] = 0x01;
    PutAddress(destination, frameData + 2);
    frameData[10] = 0xFF;
    frameData[11] = 0xFE;
    frameData[12] = 0x00; // broadcast radius
    frameData[13] = 0x00; // options
    return AppendText(text, count, frameData, 14);
}

std::size_t BuildATCommand(const std::uint8_t* text, std::size_t count, std::uint8_t* frameData) {
    frameData[0] = kATCommand;
    frameData[1] = 0x01;
    return AppendText(text, count, frameData, 2);
}

std::size_t BuildRemoteATCommand(std::uint64_t destination, const std::uint8_t* text,
                                 std::size_t count, std::uint8_t* frameData) {
    frameData[0] = kRemoteATCommand;
    frameData[1] = 0x01;
    PutAddress(destination, frameData + 2);
    frameData[10] = 0xFF;
    frameData[11] = 0xFE;
    frameData[12] = 0x02; // apply changes
    return AppendText(text, count, frameData, 13);
}

ApiFrameAssembler::Result ApiFrameAssembler::Feed(std::uint8_t byte, std::uint8_t* frame) {
    if (byte == kEscape && !escapePending_) {
        escapePending_ = true;
        return Result::Pending;
    }
    if (state_ == kHunting && byte == kStartDelimiter) {
        state_ = kReceiving;
        lengthStage_ = 1;
        escapePending_ = false;
        return Result::Pending;
    }
    if (state_ != kReceiving) return Result::Pending;
    if (escapePending_) {
        byte = std::uint8_t(byte ^ kEscapeXor);
        escapePending_ = false;
    }
    switch (lengthStage_) {
    case 1:
        length_ = byte * 256;
        lengthStage_ = 2;
        return Result::Pending;
    case 2:
        length_ += byte;
        if (length_ < minimumLength_ || length_ > 255) {
            state_ = kHunting;
            return Result::Dropped;
        }
        byteCount_ = 0;
        sum_ = 0;
        lengthStage_ = 3;
        return Result::Pending;
    default:
        if (byteCount_ < length_) {
            frame[byteCount_++] = byte;
            sum_ = std::uint8_t(sum_ + byte);
            return Result::Pending;
        }
        ++byteCount_;
        if (std::uint8_t(0xFF - sum_) != byte) {
            state_ = kHunting;
            return Result::Dropped;
        }
        frame[length_] = byte;
        frameLength_ = length_;
        state_ = kComplete;
        return Result::Complete;
    }
}

std::size_t ApiFrameAssembler::TakeData(const std::uint8_t* bytes, std::size_t count,
                                        std::uint8_t* frame) {
    if (state_ != kReceiving || lengthStage_ != 3 || escapePending_ || byteCount_ >= length_)
        return 0;
    std::size_t n = std::min(count, std::size_t(length_ - byteCount_));
    if (const void* escape = std::memchr(bytes, kEscape, n))
        n = std::size_t(static_cast<const std::uint8_t*>(escape) - bytes);
    std::memcpy(frame + byteCount_, bytes, n);
    std::uint8_t sum = sum_;
    for (std::size_t i = 0; i < n; ++i)
        sum = std::uint8_t(sum + bytes[i]);
    byteCount_ += int(n);
    sum_ = sum;
    return n;
}

} // namespace undarix::link::codec
