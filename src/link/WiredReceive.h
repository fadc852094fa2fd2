#pragma once

// Bytes of wired Ravo Zerars and Deve Zuravis (9600 baud). While the wired connection timer
// runs its hand-shake the bytes are its replies; once the unit runs, every line is a
// four-digit count, optionally followed by an air-temperature field, and becomes a sample
// frame for the dispatcher.

#include <cstdint>

namespace undarix::link {

// The line buffer: 141 bytes and a terminating zero.
inline constexpr int kWiredLineSize = 141;
// What follows "ROK," in the line buffer: the 132 block characters and the two characters
// left over behind them. Only the first 131 are decoded.
inline constexpr int kWSWLRawSize = 134;

struct WiredReceiveState {
    char line[kWiredLineSize + 1] = {};
    int index = 0;         // where the next byte is stored
    int sampleCounter = 0; // samples (the board: data lines) since the last date and time frames
    // The configuration block as last received, and a terminating zero.
    char WSWLRaw[kWSWLRawSize + 1] = {};
    // Ravo Zerar blocks in a row whose checksum failed.
    int badBlocks = 0;
    // Staffs in the board's last data line, 6 or 8.
    int SyncStaffCount = 6;
    // Board staffs (bit s for staff s + 1) last reported as having no length in the table.
    unsigned zeroLengthStaffs = 0;
};
extern WiredReceiveState WiredRx;

void ResetWiredReceive();

// One byte of a wired kind (3 to 6).
void WiredReceiveByte(std::uint8_t byte);

// The hand-shake states 1, 3, 5 and 7: `byte` has just been stored in the line buffer and the
// index advanced. Recognises "STOK" / "BAD", "IOK", "ROK" and "GOK" and moves the connection
// status on.
void RecogniseHandshakeReply(WiredReceiveState& rx, std::uint8_t byte);

// The staff length of the wired unit (from its block) on the main panel; a length of 0 (the
// prescale matches no staff) is said plainly, since every sample then reads 0.
void ShowWiredStaffLength();

// Passes the synthetic frame now in RxFrame to the dispatcher, and marks it served.
void DispatchSyntheticFrame(int frameLength, std::uint8_t tenthFlag);
// The date frame and the time frame of the PC's local calendar, for a unit or staff.
void DispatchClockFrames(int unit);

} // namespace undarix::link
