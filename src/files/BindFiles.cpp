#include "files/BindFiles.h"

#include "core/PanelRoles.h"
#include "files/CaptureFile.h"
#include "files/DataFile.h"
#include "files/DiskSync.h"
#include "files/Playback.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/Timers.h"

namespace undarix::files {

void BindFiles() {
    using namespace core;
    ui::OnCommit(menu::SaveOutputData, SaveOutputDataToFile);
    ui::OnCommit(menu::StopSavingOutputData, StopOutputDataToFile);
    ui::OnCommit(menu::HelpSaveOutput, HelpOnSaveOutput2File);
    ui::OnCommit(menu::SaveApiFrameData, SaveAPIDataToFile);
    ui::OnCommit(menu::StopSavingApiFrameData, StopAPIFrameDataToFile);
    ui::OnCommit(menu::HelpSaveApi, HelpOnSaveAPIFame2File);
    ui::OnCommit(menu::OpenFileToPlot, OpenFile2Plot);
    ui::OnCommit(menu::CloseFile, CloseFile2Plot);
    ui::OnCommit(menu::HelpOpenFile, HelpOpenFile2Plot);

    ui::OnEvent(mainpanel::PlaybackSpeed, PlotSpeedCtr);
    ui::OnEvent(mainpanel::PlaybackPosition, FileKbPosition);
    ui::OnEvent(mainpanel::PlaybackFileName, NameOfOpenFileToPlot);
    ui::SetHelp(mainpanel::PlaybackFileName, "OPEN FILE FROM THIS COMPUTER",
                "To open a file to plot on the Chart, select from the Menu Bar: File / Open "
                "File to Plot. Then set Data source on the Chart page to File and press the "
                "Start Plotting button.");
    ui::SetHelp(mainpanel::PlaybackSpeed, "PLAYBACK SPEED",
                "Kilobytes of the open file read per second while the chart plays it.\n"
                "A negative speed steps backwards through the file; 0 pauses.");
    ui::SetHelp(mainpanel::PlaybackPosition, "FILE POSITION",
                "The kilobyte of the open file being read. Enter a number to jump there;\n"
                "the chart starts again from that point.");

    ui::CreateTimer(timer::ReadFile, 1.0, ReadFileTimer);
    // Any period well below a day notices the change of date soon enough.
    ui::CreateTimer(timer::FileInterval, 10.0, SaveNewFileInterval);
    ui::CreateTimer(timer::FileSync, kDiskSyncSeconds, SyncFilesTimer);
    ui::SetTimerEnabled(timer::FileSync, true);

    // The indicators take their colours from here, so that a failing write can turn them red.
    ui::SetTextColor(mainpanel::LoggingIndicator, ui::kGreen);
    ui::SetTextColor(mainpanel::CaptureIndicator, ui::kBlue);
}

} // namespace undarix::files
