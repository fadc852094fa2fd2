#pragma once

// Bytes of wired Ravo Zerars and Deve Zuravis (9600 baud). While the wired connection timer
// runs its hand-shake the bytes are its replies; once the unit runs, every line is a
// four-digit count, optionally followed by an air-temperature field, and becomes a sample
// frame for the dispatcher.

#include <cstdint>

namespace undarix::link {

// The line buffer: 141 bytes and a terminating zero.
inline constexpr int kWiredLineSize = 141;

struct WiredReceiveState {
    char line[kWiredLineSize + 1] = {};
    int index = 0;         // where the next byte is stored
    int sampleCounter = 0; // samples since the last date and time frames, 0 to 59
};
extern WiredReceiveState WiredRx;

void ResetWiredReceive();

// One byte of a wired kind (3 to 6).
void WiredReceiveByte(std::uint8_t byte);

// The hand-shake states 1, 3, 5 and 7: `byte` has just been stored in the line buffer and the
// index advanced. Recognises "STOK" / "BAD", "IOK", "ROK" and "GOK" and moves the connection
// status on.
void RecogniseHandshakeReply(WiredReceiveState& rx, std::uint8_t byte);

// Passes the synthetic frame now in RxFrame to the dispatcher, and marks it served.
void DispatchSyntheticFrame(int frameLength, std::uint8_t tenthFlag);
// The date frame and the time frame of the PC's local calendar, for a unit or staff.
void DispatchClockFrames(int unit);

} // namespace undarix::link
