#pragma once

// The frame buffer that every complete frame passes through, and the receive state around it.

#include <cstddef>
#include <cstdint>

namespace undarix::link {

// One frame: API identifier at index 0; for a receive packet (0x90) the sender's 64-bit
// address at 1 to 8, the 16-bit address at 9 and 10, the options at 11 and the unit's text
// from index 12. The checksum byte is stored after the last frame byte.
inline constexpr std::size_t kRxFrameSize = 272;
inline constexpr std::size_t kPacketTextStart = 12;
extern std::uint8_t RxFrame[kRxFrameSize];

struct UartXbeeState {
    // 0 = waiting for a start delimiter, 2 = receiving, 3 = a complete frame is being served
    std::uint8_t receiveState = 0;
    std::uint8_t byteCount = 0; // index of the next frame byte
    int frameLength = 0;        // the length field, or the length of a synthetic frame
};
extern UartXbeeState UartXbee;

void ResetReceiveState();

} // namespace undarix::link
