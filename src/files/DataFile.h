#pragma once

// The comma-separated data file: one fixed-width line per decoded packet, the same bytes to
// the output stream, and a new numbered file after a chosen number of date changes.

namespace undarix::files {

// After each decoded packet while the data file or the output port is open: builds the line
// of the record in `slot` from the packet text in RxFrame and the values in WorkValue, writes
// it to the file (one write call) and to the output port.
void WriteOutputToFile(int slot);

// Menu callbacks.
void SaveOutputDataToFile();
void StopOutputDataToFile();
void HelpOnSaveOutput2File();

// Rotation timer: counts date changes and starts the next numbered file.
void SaveNewFileInterval();

// Closes the file at the end of the program, as the stop item does.
void CloseDataFileNow();

// Every few seconds: the open file must still be at its name. A file removed under the
// program (alone, with its folder, the mount gone) is said, its lines are no longer counted
// as written, and the folder and a file of the series are made again; logging goes on there.
void CheckDataFileStillThere();

} // namespace undarix::files
