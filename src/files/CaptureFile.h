#pragma once

// The capture file: every raw byte the radio adapter delivers, as read from the port, so
// that what the units sent can be played back later exactly as it was received.

#include "files/RecordFile.h"

#include <QString>

#include <cstdint>

namespace undarix::files {

// Menu callbacks.
void SaveAPIDataToFile();
void StopAPIFrameDataToFile();
void HelpOnSaveAPIFame2File();

// Opens `path` as the capture file, emptied or continued, and starts capturing (the menu's
// start does this after its pop-ups). False when the file cannot be opened; its ErrorText
// says why (a file another program writes is refused, and left as it is).
bool StartCaptureFile(const QString& path, RecordFile::Mode mode);

// One raw byte from the unit port, before any processing; written (one write call) while
// capturing and a radio kind is selected. When a write fails (a full disk) the frame it
// belonged to is taken back out and the file goes on at the next frame that begins, so that
// it only ever holds whole frames; the frames lost are counted and reported.
void CaptureByte(std::uint8_t byte);

// The stream from the unit port broke off (the adapter was pulled): a frame it cut short is
// taken back out of the file, so that the frames after the gap play back whole.
void CaptureStreamBroken();

// Closes the file at the end of the program, as the stop item does.
void CloseCaptureFileNow();

// Every few seconds: a capture file removed or moved under the program is said (the frames of
// a removed one counted as lost), and it is made again, with its folder, and continued.
void CheckCaptureFileStillThere();

} // namespace undarix::files
