#include "files/CaptureFile.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "files/FileState.h"
#include "files/FileSupport.h"
#include "ui/Controls.h"
#include "ui/Popups.h"
#include "ui/StatusMessage.h"

namespace undarix::files {
namespace {

using core::Program;
namespace mainpanel = core::mainpanel;
namespace menu = core::menu;

constexpr std::uint32_t kCaptureColor = ui::kBlue;

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
    if (!OpenForWriting(capture.SaveAPIFrameDataHandle, selection.path, "Nothing is being saved."))
        return;
    capture.SaveAPIFrameDataFileName = selection.path;
    capture.writeFailing = false;
    Program.APIFrameDataFileOpen = 1;
    ShowCapturing(true);
    ui::ShowStatus(QString("Saving API frame data to %1").arg(selection.path));
}

void StopAPIFrameDataToFile() {
    CloseCaptureFileNow();
    ui::ShowStatus("API frame data no longer saved");
}

void CloseCaptureFileNow() {
    Files.capture.SaveAPIFrameDataHandle.close();
    Program.APIFrameDataFileOpen = 0;
    ShowCapturing(false);
}

void CaptureByte(std::uint8_t byte) {
    if (!Program.APIFrameDataFileOpen || !core::IsRadioKind(Program.UnitType)) return;
    CaptureFileState& capture = Files.capture;
    const char c = char(byte);
    WriteChecked(capture.SaveAPIFrameDataHandle, &c, 1, capture.writeFailing,
                 mainpanel::CaptureIndicator, kCaptureColor, "capture file");
}

void HelpOnSaveAPIFame2File() {
    ui::MessagePopup("SAVE OUTPUT DATA TO A FILE",
                     "Open a file to begin saving the stream of API Frame data from\nthe "
                     "connected units. The saved data format will be the same\nformat as the "
                     "wireless data from the XB unit");
}

} // namespace undarix::files
