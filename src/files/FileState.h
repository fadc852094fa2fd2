#pragma once

// The state of the data file, the capture file and playback. The flags that other
// subsystems read (OutputDataFileOpen, APIFrameDataFileOpen, FileOpen, FileRxStatus, ...) are
// in core::Program; what only this subsystem uses is here.

#include "files/FileSupport.h"
#include "files/RecordFile.h"
#include "link/codec/ApiFrame.h"

#include <QFile>
#include <QString>

#include <cstdint>

namespace undarix::files {

// Logging of decoded packets to the comma-separated data file.
struct DataFileState {
    QString SaveOutputDataFileName; // ends in three digits and ".csv" while logging
    RecordFile SaveOutputDataHandle;
    int SaveFileInterval = 0; // days from one file to the next, 1 to 98; 99 = one file
    int SaveFileLastDay = 0;  // day of the month when the date was last looked at
    int SaveFileDayCounter = 0;
    int SaveFileNameCounter = 0;
    WriteHealth health;
    bool syncFailing = false;     // forcing the file to the disk failed, and the user was told
    bool lastNumberShown = false; // the user knows the series has reached its last number
    // Lines the files took since the last reset and still hold (the command-line companion
    // reports them): lines of a file removed under the program are taken off again.
    std::uint64_t linesWritten = 0;
    std::uint64_t linesInFile = 0; // of them, in the file open now
    bool remakeFailing = false;    // the file could not be made again, and the user was told
};

// The raw byte stream of the radio adapter.
struct CaptureFileState {
    QString SaveAPIFrameDataFileName;
    RecordFile SaveAPIFrameDataHandle;
    WriteHealth health;
    bool syncFailing = false;
    // The frames of the stream, followed so that the file never keeps a frame cut short:
    // where the frame being written began, and whether bytes are passed over until the next
    // frame begins (after a failed write).
    link::codec::ApiFrameAssembler frames;
    std::uint8_t frameData[link::codec::kMaxFrameData + 1] = {};
    std::int64_t frameStart = 0;
    bool skipToNextFrame = false;
    std::uint64_t bytesWritten = 0;
    std::int64_t startSize = 0;  // the size the file had when this run took it up
    std::uint64_t framesInFile = 0; // whole frames written to the file open now
    bool remakeFailing = false;
};

// Playback of a data file or a capture file.
struct PlaybackState {
    QString OpenFileName;
    QFile OpenFileHandle;
    int lineCount = 0;        // characters of the line being assembled in RxCSV
    bool lineTooLong = false; // the line outgrew RxCSV: it is dropped at its end
    bool atLineStart = true;  // the next byte begins a line of the file
    std::uint64_t served = 0; // lines or frames handed on since the file was opened
    link::codec::ApiFrameAssembler frameAssembler;
    std::uint8_t frameData[link::codec::kMaxFrameData + 1] = {}; // the frame being assembled
    // The user is typing a position: the read timer leaves the field to them until Enter.
    bool positionBeingTyped = false;
};

struct FileState {
    DataFileState data;
    CaptureFileState capture;
    PlaybackState playback;
};

extern FileState Files;

// Closes any open file and returns to the start values.
void ResetFiles();

} // namespace undarix::files
