#include "files/FileState.h"

#include "files/ConfigRecordFile.h"
#include "files/LineReader.h"
#include "files/NetworkOutput.h"

#include <algorithm>
#include <iterator>

namespace undarix::files {

FileState Files;

void ResetFiles() {
    ResetConfigRecordFile();
    SetWriteCall({});
    DataFileState& data = Files.data;
    data.SaveOutputDataHandle.Close();
    data.SaveOutputDataFileName.clear();
    data.SaveFileInterval = 0;
    data.SaveFileLastDay = 0;
    data.SaveFileDayCounter = 0;
    data.SaveFileNameCounter = 0;
    data.health = WriteHealth{};
    data.syncFailing = false;
    data.lastNumberShown = false;
    data.linesWritten = 0;

    CaptureFileState& capture = Files.capture;
    capture.SaveAPIFrameDataHandle.Close();
    capture.SaveAPIFrameDataFileName.clear();
    capture.health = WriteHealth{};
    capture.syncFailing = false;
    capture.frames.Reset();
    capture.frameStart = 0;
    capture.skipToNextFrame = false;
    capture.bytesWritten = 0;

    PlaybackState& playback = Files.playback;
    playback.OpenFileHandle.close();
    playback.OpenFileHandle.setFileName(QString());
    playback.OpenFileName.clear();
    playback.lineCount = 0;
    playback.lineTooLong = false;
    playback.atLineStart = true;
    playback.frameAssembler.Reset();

    std::fill(std::begin(RxCSV), std::end(RxCSV), '\0');

    StopNetworkOutput();
    SetNetworkStatusSink({});
}

} // namespace undarix::files
