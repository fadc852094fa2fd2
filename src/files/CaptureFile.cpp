#include "files/CaptureFile.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "files/FileState.h"
#include "files/FileSupport.h"
#include "files/NativePath.h"
#include "ui/Controls.h"
#include "ui/Popups.h"
#include "ui/StatusMessage.h"

#include <QFile>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace undarix::files {
namespace {

using core::Program;
namespace mainpanel = core::mainpanel;
namespace menu = core::menu;

constexpr std::uint32_t kCaptureColor = ui::kBlue;
const WriteReport kCaptureReport{mainpanel::CaptureIndicator, kCaptureColor, "capture file",
                                 "frames"};
using Assembler = link::codec::ApiFrameAssembler;

// Follows the frames of the stream byte by byte, as the receive path does. Returns whether
// `byte` begins a frame.
bool FollowFrames(CaptureFileState& capture, std::uint8_t byte) {
    const bool begins =
        capture.frames.State() == Assembler::kHunting && byte == link::codec::kStartDelimiter;
    if (begins) capture.frameStart = capture.SaveAPIFrameDataHandle.Size();
    if (capture.frames.Feed(byte, capture.frameData) == Assembler::Result::Complete) {
        capture.frames.Serve();
        if (!capture.skipToNextFrame) ++capture.framesInFile;
    }
    return begins;
}

[[nodiscard]] bool InsideFrame(const CaptureFileState& capture) {
    return capture.frames.State() == Assembler::kReceiving;
}

// The bytes of the frame in progress are taken back out of the file.
void TakeBackFrameInProgress(CaptureFileState& capture) {
    RecordFile& file = capture.SaveAPIFrameDataHandle;
    if (InsideFrame(capture) && capture.frameStart < file.Size())
        (void)file.CutBackTo(capture.frameStart);
    capture.frames.Reset();
}

// Where the frame the file ends in begins, if that frame is not whole (a run that ended in a
// power cut or a kill); -1 when the file ends between frames. Escaped frames never carry a
// raw start delimiter inside, so the last one in the file begins the last frame.
std::int64_t TornFrameAtEnd(const QString& path) {
    QFile file;
    const int descriptor = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return -1;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) { // a pipe has no end
        ::close(descriptor);
        return -1;
    }
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return -1;
    }
    const qint64 tail = std::min<qint64>(file.size(), qint64(link::codec::kMaxEncodedFrame));
    file.seek(file.size() - tail);
    const QByteArray bytes = file.read(tail);
    const qsizetype start = bytes.lastIndexOf(char(link::codec::kStartDelimiter));
    if (start < 0) return -1;
    Assembler frames;
    std::uint8_t data[link::codec::kMaxFrameData + 1];
    for (qsizetype i = start; i < bytes.size(); ++i)
        (void)frames.Feed(std::uint8_t(bytes[i]), data);
    return frames.State() == Assembler::kReceiving ? file.size() - tail + start : -1;
}

// A continued file that ends in a frame cut short would swallow the first frame added now.
void TakeOffTornEnd(CaptureFileState& capture) {
    RecordFile& file = capture.SaveAPIFrameDataHandle;
    const std::int64_t torn = TornFrameAtEnd(capture.SaveAPIFrameDataFileName);
    if (torn < 0) return;
    const std::int64_t size = file.Size();
    if (!file.CutBackTo(torn)) return;
    ui::ShowStatus(QString("The capture file ended in a frame cut short (%1 bytes, from a run "
                           "that did not end cleanly); they were taken off, so that the frames "
                           "added now play back whole: %2")
                       .arg(size - torn)
                       .arg(capture.SaveAPIFrameDataFileName));
}

// An existing file is continued only if it is a capture: it begins with a frame (perhaps one a
// killed run cut short), or has a whole frame among its first bytes. A data file or anything else given by mistake is refused, not cut or appended to.
bool LooksLikeCapture(const QString& path) {
    // Not waiting for a writer: a pipe or a device has no start to look at.
    const int descriptor = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return true; // a new file, or one the open will say more about
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return true;
    }
    std::uint8_t head[4 * link::codec::kMaxEncodedFrame];
    const long count = ::read(descriptor, head, sizeof head);
    ::close(descriptor);
    if (count <= 0 || head[0] == link::codec::kStartDelimiter) return true; // empty, or a frame
    Assembler frames;
    std::uint8_t data[link::codec::kMaxFrameData + 1];
    for (long i = 0; i < count; ++i)
        if (frames.Feed(head[i], data) == Assembler::Result::Complete) return true;
    return false;
}

void StartFollowing(CaptureFileState& capture) {
    capture.frames.Reset();
    capture.frameStart = capture.SaveAPIFrameDataHandle.Size();
    capture.skipToNextFrame = false;
    capture.health = WriteHealth{};
}

void ShowCapturing(bool on) {
    ui::SetDimmed(menu::SaveApiFrameData, on);
    ui::SetDimmed(menu::StopSavingApiFrameData, !on);
    ui::SetTextColor(mainpanel::CaptureIndicator, kCaptureColor);
    ui::SetVisible(mainpanel::CaptureIndicator, on);
}

} // namespace

void SaveAPIDataToFile() {
    CaptureFileState& capture = Files.capture;
    const ui::FileSelection selection =
        ui::FileSelectPopup({"Save API Frame Data To:", "*.api", "*.txt;*.*", true});
    if (selection.status == ui::FileSelection::Status::Cancelled) return;
    if (!PathFitsBuffer(selection.path)) return;
    if (selection.status == ui::FileSelection::Status::ExistingFile &&
        !ui::ConfirmPopup("Confirm Save File",
                          "The file already exist\n Do you want to replace it?"))
        return;

    if (Program.APIFrameDataFileOpen) CloseCaptureFileNow();
    if (!StartCaptureFile(selection.path, RecordFile::Mode::Replace)) {
        ShowOpenFailure(selection.path, capture.SaveAPIFrameDataHandle.ErrorText(),
                        "Nothing is being saved.");
        return;
    }
    ui::ShowStatus(QString("Saving API frame data to %1").arg(selection.path));
}

bool StartCaptureFile(const QString& path, RecordFile::Mode mode) {
    CaptureFileState& capture = Files.capture;
    if (mode == RecordFile::Mode::Append && !LooksLikeCapture(path))
        return capture.SaveAPIFrameDataHandle.Refuse(
            "it is not a capture file (no API frame at its start); give a new name");
    if (!capture.SaveAPIFrameDataHandle.Open(path, mode)) return false;
    capture.SaveAPIFrameDataFileName = path;
    if (mode == RecordFile::Mode::Append) TakeOffTornEnd(capture);
    StartFollowing(capture);
    capture.bytesWritten = 0;
    capture.startSize = capture.SaveAPIFrameDataHandle.Size();
    capture.framesInFile = 0;
    capture.remakeFailing = false;
    Program.APIFrameDataFileOpen = 1;
    ShowCapturing(true);
    return true;
}

void StopAPIFrameDataToFile() {
    CloseCaptureFileNow();
    ui::ShowStatus("API frame data no longer saved");
}

void CloseCaptureFileNow() {
    CaptureFileState& capture = Files.capture;
    // A frame the stream has not finished is not kept: played back, it would swallow the
    // start of whatever is appended to the file later.
    if (capture.SaveAPIFrameDataHandle.IsOpen()) {
        TakeBackFrameInProgress(capture);
        if (!capture.SaveAPIFrameDataHandle.Close())
            ui::ShowStatus(QString("The capture file could not be closed cleanly (%1): %2")
                               .arg(capture.SaveAPIFrameDataHandle.ErrorText(),
                                    capture.SaveAPIFrameDataFileName));
    }
    Program.APIFrameDataFileOpen = 0;
    ShowCapturing(false);
}

void CaptureByte(std::uint8_t byte) {
    if (!Program.APIFrameDataFileOpen || !core::IsRadioKind(Program.UnitType)) return;
    CaptureFileState& capture = Files.capture;
    RecordFile& file = capture.SaveAPIFrameDataHandle;
    const std::uint64_t framesBefore = capture.framesInFile;
    // Taken before the byte is followed: the checksum byte ends the frame, and the assembler
    // is hunting again by the time its write can fail.
    const bool continuesFrame = InsideFrame(capture);
    const bool beginsFrame = FollowFrames(capture, byte);
    // After a failed write the file takes up again only where a frame begins.
    if (capture.skipToNextFrame) {
        if (!beginsFrame) return;
        capture.skipToNextFrame = false;
    }
    const char c = char(byte);
    if (file.Append(&c, 1)) {
        ++capture.bytesWritten;
        // Works again only once a whole frame is in: a few bytes that fit on a disk that is
        // still full are no recovery.
        if (capture.framesInFile != framesBefore)
            NoteWriteWorked(file, capture.health, kCaptureReport);
        return;
    }
    capture.framesInFile = framesBefore;
    // The frame this byte belonged to cannot be whole in the file: its first bytes go too.
    const bool inFrame = continuesFrame || beginsFrame;
    if (inFrame && capture.frameStart < file.Size()) (void)file.CutBackTo(capture.frameStart);
    capture.skipToNextFrame = true;
    NoteWriteFailed(file, capture.health, kCaptureReport, inFrame ? 1 : 0);
}

void CaptureStreamBroken() {
    CaptureFileState& capture = Files.capture;
    if (!Program.APIFrameDataFileOpen || !capture.SaveAPIFrameDataHandle.IsOpen()) return;
    TakeBackFrameInProgress(capture);
}

void CheckCaptureFileStillThere() {
    CaptureFileState& capture = Files.capture;
    if (!Program.APIFrameDataFileOpen) return;
    RecordFile& file = capture.SaveAPIFrameDataHandle;
    const QString& name = capture.SaveAPIFrameDataFileName;
    if (file.IsOpen()) {
        const RecordFile::Whereabouts where = file.Where();
        if (where == RecordFile::Whereabouts::AtItsName) return;
        if (where == RecordFile::Whereabouts::Removed) {
            capture.health.lostTotal += capture.framesInFile;
            ui::ShowStatus(QString("The capture file %1 was removed while it was written (with "
                                   "its folder?): its %2 frames are lost")
                               .arg(name)
                               .arg(capture.framesInFile));
        } else {
            ui::ShowStatus(QString("The capture file %1 was moved away, or its disk is gone; "
                                   "what it holds stays there")
                               .arg(name));
        }
        (void)file.Close();
    }
    (void)MakeFolderOf(name);
    if (!file.Open(name, RecordFile::Mode::Append)) {
        if (!capture.remakeFailing)
            ui::ShowStatus(QString("The capture file %1 cannot be made again (%2); the frames "
                                   "that come are counted as lost, and it is tried again every "
                                   "few seconds")
                               .arg(name, file.ErrorText()));
        capture.remakeFailing = true;
        ui::SetTextColor(mainpanel::CaptureIndicator, ui::kRed);
        return;
    }
    TakeOffTornEnd(capture);
    // The frame under way began in the file that went: the new file begins at the next one.
    capture.frames.Reset();
    capture.frameStart = file.Size();
    capture.skipToNextFrame = true;
    capture.startSize = 0;
    capture.framesInFile = 0;
    capture.remakeFailing = false;
    if (!capture.health.failing) ui::SetTextColor(mainpanel::CaptureIndicator, kCaptureColor);
    ui::ShowStatus(QString("Capturing goes on in %1, made again").arg(name));
}

void HelpOnSaveAPIFame2File() {
    ui::MessagePopup("SAVE OUTPUT DATA TO A FILE",
                     "Open a file to begin saving the stream of API Frame data from\nthe "
                     "connected units. The saved data format will be the same\nformat as the "
                     "wireless data from the XB unit");
}

} // namespace undarix::files
