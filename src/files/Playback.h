#pragma once

// Playback of a saved file through the same table and chart as live data: a data file line
// by line through the line reader, a capture file frame by frame through the dispatcher.
// A timer reads 1,024 bytes per tick; the speed sets its interval.

#include "ui/Event.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace undarix::files {

// Menu callbacks.
void OpenFile2Plot();
void CloseFile2Plot();
void HelpOpenFile2Plot();

// Opens a chosen file for playback (the part of OpenFile2Plot after the file selection).
void OpenFile2PlotPath(const QString& path);

// Read timer: one block forwards, or one step back, while the chart plays the file.
void ReadFileTimer();

// Speed numeric (kilobytes per second, negative backwards) and position numeric (kilobytes).
void PlotSpeedCtr(ui::Event event);
void FileKbPosition(ui::Event event);
// The file-name text; it only has its help.
void NameOfOpenFileToPlot(ui::Event event);

// The bytes of a block, through the reader of the open file's type.
void FeedPlaybackBytes(const std::uint8_t* bytes, std::size_t count);

// Closes the file without the wait (the program's end has waited already).
void ClosePlaybackFileNow();

} // namespace undarix::files
