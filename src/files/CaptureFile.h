#pragma once

// The capture file: every raw byte the radio adapter delivers, as read from the port, so
// that what the units sent can be played back later exactly as it was received.

#include <cstdint>

namespace undarix::files {

// Menu callbacks.
void SaveAPIDataToFile();
void StopAPIFrameDataToFile();
void HelpOnSaveAPIFame2File();

// One raw byte from the unit port, before any processing; written (one write call) while
// capturing and a radio kind is selected.
void CaptureByte(std::uint8_t byte);

// Closes the file at the end of the program, as the stop item does.
void CloseCaptureFileNow();

} // namespace undarix::files
