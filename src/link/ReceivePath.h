#pragma once

// The receive callback of the unit port. Radio kinds: escaped API frames reassembled into
// RxFrame and handed to the dispatcher. Wired kinds and the board: lines turned into the same
// frames (WiredReceive.h, BoardReceive.h).

#include "link/codec/ApiFrame.h"

namespace undarix::link {

// Drains the port's input byte by byte. Radio and wired kinds act only on the
// character-received event; the board's lines are read on any event.
void ComCallback(int port, int eventMask);

// One raw byte of a radio kind: capture file first, then (unless a file is being played back,
// which owns the frame buffer then) the frame assembly.
void RadioReceiveByte(std::uint8_t byte);

struct RadioReceiveState {
    codec::ApiFrameAssembler assembler;
    // Frames whose checksum was good, and frames dropped for a bad length or checksum, since
    // the last reset (the command-line companion reports them).
    std::uint64_t framesGood = 0;
    std::uint64_t framesDropped = 0;
};
extern RadioReceiveState RadioRx;

// Back to the start values: no frame or line in progress.
void ResetReceivePath();

// The stream broke off (the port was lost, or has just come back): a frame or line cut short
// is dropped, so that it cannot swallow the start of what comes after the gap. The counts
// stay.
void RestartReceiveAfterGap();

} // namespace undarix::link
