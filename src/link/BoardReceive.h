#pragma once

// Bytes of the Vazavevezeze board (38400 baud): report lines while the wired connection timer
// wakes it, its clock line, then data lines of one count per staff. Lines end with a line
// feed and share the wired line buffer (WiredReceive.h).

#include "link/WiredReceive.h"

#include <cstdint>

namespace undarix::link {

// One byte of the board (kind 7).
void BoardReceiveByte(std::uint8_t byte);

// One complete line, zero-terminated in rx.line, `length` characters including its line feed.
// Examined by its first character according to the connection status: the report lines, the
// clock line, and the data lines turned staff by staff into sample frames.
void ExamineBoardLine(WiredReceiveState& rx, int length);

} // namespace undarix::link
