#include "files/DiskSync.h"

#include "files/CaptureFile.h"
#include "files/DataFile.h"
#include "files/FileState.h"
#include "ui/StatusMessage.h"

namespace undarix::files {
namespace {

void SyncOne(RecordFile& file, bool& failing, const char* what) {
    if (!file.IsOpen() || !file.HasUnsyncedRecords()) return;
    const bool ok = file.Sync();
    if (ok == !failing) return;
    failing = !ok;
    if (!ok)
        ui::ShowStatus(QString("The %1 could not be forced to the disk (%2): %3")
                           .arg(what, file.ErrorText(), file.FileName()));
}

} // namespace

void SyncFilesTimer() {
    // A file gone from its name is noticed here, within seconds, and made again.
    CheckDataFileStillThere();
    CheckCaptureFileStillThere();
    SyncOne(Files.data.SaveOutputDataHandle, Files.data.syncFailing, "data file");
    SyncOne(Files.capture.SaveAPIFrameDataHandle, Files.capture.syncFailing, "capture file");
}

} // namespace undarix::files
