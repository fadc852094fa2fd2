#pragma once

// What both soak runs read of the bytes a simulator queued for the port: the frames in them,
// each with its API identifier and, for a receive packet, the unit's text.

#include "link/codec/ApiFrame.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace undarix::soak {

// Calls `frame(apiIdentifier, text)` for every whole frame in `bytes`; `text` is a receive
// packet's text (empty for other frames).
template <class Frame> void ForEachSentFrame(const std::string& bytes, Frame&& frame) {
    constexpr int kTextStart = 12; // identifier, 64-bit and 16-bit address, options
    link::codec::ApiFrameAssembler assembler;
    std::uint8_t data[link::codec::kMaxFrameData + 1];
    for (unsigned char byte : bytes) {
        if (assembler.Feed(byte, data) != link::codec::ApiFrameAssembler::Result::Complete)
            continue;
        const int length = assembler.FrameLength();
        const std::string_view text(reinterpret_cast<const char*>(data) + kTextStart,
                                    length > kTextStart ? std::size_t(length - kTextStart) : 0);
        frame(data[0], data[0] == link::codec::kReceivePacket ? text : std::string_view());
    }
}

// A block of 64 samples ("I") whole enough to carry its time stamp.
[[nodiscard]] inline bool IsSampleBlock(std::uint8_t apiIdentifier, std::string_view text) {
    return apiIdentifier == link::codec::kReceivePacket && text.size() >= 31 && text[0] == 'I';
}

} // namespace undarix::soak
