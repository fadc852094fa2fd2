#include "files/DataFile.h"

#include "core/FrameBuffers.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "files/ConfigRecordFile.h"
#include "files/FileState.h"
#include "files/FileSupport.h"
#include "files/NativePath.h"
#include "files/NetworkOutput.h"
#include "files/codec/DataFileName.h"
#include "files/codec/DataLine.h"
#include "link/ReceiveState.h"
#include "link/SerialPort.h"
#include "live/DeviceTable.h"
#include "ui/Clock.h"
#include "ui/Controls.h"
#include "ui/Popups.h"
#include "ui/StatusMessage.h"
#include "ui/Timers.h"


#include <algorithm>

namespace undarix::files {
namespace {

using core::Program;
namespace mainpanel = core::mainpanel;
namespace menu = core::menu;

constexpr std::uint32_t kLoggingColor = ui::kGreen;
const WriteReport kDataFileReport{mainpanel::LoggingIndicator, kLoggingColor, "data file", "lines"};
constexpr int kOneContinuousFile = 99;

const char* const kIntervalPrompt =
    "Start a new data file every how many days? Enter 1 to 98 (days from the start of one file "
    "to the start of the next), or 99 for one continuous file.";

const char* const kReplaceQuestion = "The file already exist\n Do you want to replace it?";

QString NameWithNumber(int number) {
    return PathFromNative(
        codec::DataFileNameWithNumber(NativePath(Files.data.SaveOutputDataFileName), number));
}

void ShowLogging(bool on) {
    ui::SetDimmed(menu::SaveOutputData, on);
    ui::SetDimmed(menu::StopSavingOutputData, !on);
    ui::SetTextColor(mainpanel::LoggingIndicator, kLoggingColor);
    ui::SetVisible(mainpanel::LoggingIndicator, on);
    ui::SetTimerEnabled(core::timer::FileInterval, on);
}

void LoggingOff() {
    DataFileState& data = Files.data;
    if (data.SaveOutputDataHandle.IsOpen() && !data.SaveOutputDataHandle.Close())
        ui::ShowStatus(
            QString("The data file could not be closed cleanly (%1): %2")
                .arg(data.SaveOutputDataHandle.ErrorText(), data.SaveOutputDataFileName));
    Program.OutputDataFileOpen = 0;
    ShowLogging(false);
    FollowDataFile();
}

// The series has no number left: the data go on into the last file.
void StayOnLastFile() {
    DataFileState& data = Files.data;
    if (data.lastNumberShown) return;
    data.lastNumberShown = true;
    ui::MessagePopup("LAST DATA FILE NUMBER",
                     QString("The data files of this series are numbered up to %1, and that "
                             "number is reached.\nLogging goes on in\n%2\nTo begin new files, "
                             "stop saving and start again with a new file name.")
                         .arg(codec::kLastFileNumber, 3, 10, QChar('0'))
                         .arg(data.SaveOutputDataFileName));
}

// The first number of the series from `from` on that no file holds; -1 when none is left.
int NextFreeNumber(int from) {
    while (from <= codec::kLastFileNumber && PathExists(NameWithNumber(from)))
        ++from;
    return from <= codec::kLastFileNumber ? from : -1;
}

// Begins a file of the series, making its folder first if it has gone (removed under the
// program, a medium put back). A failure is said once; until a file can be begun, each line
// fails and is counted as lost, and it is tried again at each check.
bool BeginSeriesFile(int number) {
    DataFileState& data = Files.data;
    const QString name = NameWithNumber(number);
    (void)MakeFolderOf(name);
    if (!data.SaveOutputDataHandle.Open(name, RecordFile::Mode::Replace)) {
        if (!data.remakeFailing)
            ui::ShowStatus(QString("The data file %1 cannot be made (%2); the lines that come "
                                   "are counted as lost, and it is tried again every few "
                                   "seconds")
                               .arg(name, data.SaveOutputDataHandle.ErrorText()));
        data.remakeFailing = true;
        ui::SetTextColor(mainpanel::LoggingIndicator, ui::kRed);
        return false;
    }
    data.SaveOutputDataFileName = name;
    data.SaveFileNameCounter = number;
    data.linesInFile = 0;
    data.remakeFailing = false;
    if (!data.health.failing) ui::SetTextColor(mainpanel::LoggingIndicator, kLoggingColor);
    FollowDataFile(); // the settings record rotates with the data file
    return true;
}

} // namespace

void WriteOutputToFile(int slot) {
    // Played data are old: they never reach the data file, the output port or the broker.
    if (slot < 0 || slot >= live::kTableSlots || Program.ServingPlayback) return;
    const int port = Program.OpenComPortOutPutNum;
    if (!Program.OutputDataFileOpen && port == 0 && !Program.NetworkOutputOn) return;

    constexpr int kTextRoom = int(link::kRxFrameSize - link::kPacketTextStart);
    const int textLength =
        std::clamp(link::UartXbee.frameLength - int(link::kPacketTextStart), 0, kTextRoom);
    char line[codec::kMaxDataLine];
    const std::size_t length =
        codec::BuildDataLine(live::OutputLine[slot].packetKind,
                             reinterpret_cast<const char*>(link::RxFrame + link::kPacketTextStart),
                             std::size_t(textLength), core::WorkValue, line);
    if (length == 0) return;

    if (Program.OutputDataFileOpen) {
        DataFileState& data = Files.data;
        if (data.SaveOutputDataHandle.Append(line, length)) {
            ++data.linesWritten;
            ++data.linesInFile;
            NoteWriteWorked(data.SaveOutputDataHandle, data.health, kDataFileReport);
            WriteHeldSettings();
        } else {
            NoteWriteFailed(data.SaveOutputDataHandle, data.health, kDataFileReport, 1);
        }
    }
    if (port != 0) link::ComWrt(port, line, int(length));
    if (Program.NetworkOutputOn) PublishDataLine(slot, line, length);
}

void SaveOutputDataToFile() {
    DataFileState& data = Files.data;
    const std::optional<QString> reply = ui::PromptPopup("SAVE FILE INTERVAL", kIntervalPrompt, 2);
    const QByteArray typed = reply.value_or(QString()).left(2).toLatin1();
    data.SaveFileInterval = int(codec::ParseLeadingInt(typed.constData(), typed.size()));
    if (data.SaveFileInterval <= 0) {
        // Cancel is an answer; Enter on an empty or wrong entry would otherwise look like one.
        if (reply)
            ui::ShowStatus(QString("Nothing is being saved: \"%1\" is no interval. Enter 1 to 98 "
                                   "days, or 99 for one continuous file.")
                               .arg(reply->trimmed()));
        return;
    }

    const ui::FileSelection selection =
        ui::FileSelectPopup({"Save Output Data To:", "*.csv", "*.txt;*.*", true});
    if (selection.status == ui::FileSelection::Status::Cancelled) return;
    // The question is about the file that will be written, the numbered one.
    const QString numbered =
        PathFromNative(codec::NumberedDataFileName(NativePath(selection.path)));
    if (!PathFitsBuffer(numbered)) return;
    if (PathExists(numbered) && !ui::ConfirmPopup("Confirm Save File", kReplaceQuestion))
        return;

    if (Program.OutputDataFileOpen) LoggingOff();
    if (!OpenForWriting(data.SaveOutputDataHandle, numbered, RecordFile::Mode::Replace,
                        "Nothing is being saved."))
        return;
    data.SaveOutputDataFileName = numbered;
    Program.OutputDataFileOpen = 1;
    data.SaveFileLastDay = ui::Now().date().day();
    data.SaveFileDayCounter = 0;
    data.SaveFileNameCounter = 0;
    data.health = WriteHealth{};
    data.lastNumberShown = false;
    data.linesInFile = 0;
    data.remakeFailing = false;
    ShowLogging(true);
    FollowDataFile();
    ui::ShowStatus(QString("Saving output data to %1").arg(numbered));
}

void StopOutputDataToFile() {
    LoggingOff();
    ui::ShowStatus("Output data no longer saved");
}

void CloseDataFileNow() {
    LoggingOff();
}

void SaveNewFileInterval() {
    DataFileState& data = Files.data;
    if (!Program.OutputDataFileOpen || data.SaveFileInterval == kOneContinuousFile) return;
    const int day = ui::Now().date().day();
    if (day == data.SaveFileLastDay) return;
    data.SaveFileLastDay = day;
    if (++data.SaveFileDayCounter < data.SaveFileInterval) return;
    data.SaveFileDayCounter = 0;

    // A file of the series that already exists is kept: the next free number is taken.
    int next = data.SaveFileNameCounter + 1;
    while (next <= codec::kLastFileNumber && PathExists(NameWithNumber(next)))
        ++next;
    if (next > codec::kLastFileNumber) {
        StayOnLastFile();
        return;
    }
    // Closing the full file forces it to the disk before the next one begins.
    if (!BeginSeriesFile(next)) return;
    ui::ShowStatus(QString("Saving output data to %1").arg(data.SaveOutputDataFileName));
}

void CheckDataFileStillThere() {
    DataFileState& data = Files.data;
    if (!Program.OutputDataFileOpen) return;
    RecordFile& file = data.SaveOutputDataHandle;
    if (file.IsOpen()) {
        const RecordFile::Whereabouts where = file.Where();
        if (where == RecordFile::Whereabouts::AtItsName) {
            FollowDataFile(); // the settings record alone may have gone
            return;
        }
        const QString gone = data.SaveOutputDataFileName;
        if (where == RecordFile::Whereabouts::Removed) {
            // Its lines are nowhere on the disk any more: no longer counted as written.
            data.linesWritten -= std::min(data.linesWritten, data.linesInFile);
            data.health.lostTotal += data.linesInFile;
            ui::ShowStatus(QString("The data file %1 was removed while it was written (with "
                                   "its folder?): its %2 lines are lost")
                               .arg(gone)
                               .arg(data.linesInFile));
        } else {
            ui::ShowStatus(QString("The data file %1 was moved away, or its disk is gone; what "
                                   "it holds stays there")
                               .arg(gone));
        }
        (void)file.Close();
    }
    const int next = NextFreeNumber(data.SaveFileNameCounter);
    if (next < 0) {
        if (!data.remakeFailing)
            ui::ShowStatus("No number of the data file series is left to go on: the lines that "
                           "come are counted as lost. Stop saving and start a new series.");
        data.remakeFailing = true;
        return;
    }
    if (BeginSeriesFile(next))
        ui::ShowStatus(QString("Logging goes on in %1, made again").arg(data.SaveOutputDataFileName));
}

void HelpOnSaveOutput2File() {
    ui::MessagePopup(
        "SAVE OUTPUT DATA TO A FILE",
        "First select the New File Interval from the popup menu. Enter the number of days from\n"
        "1 to 98.  Enter 99 for one continuous file.\n"
        "Then choose the file name, for example site.csv. The files are numbered: the first is\n"
        "site000.csv, and after the interval the next one, site001.csv, begins at the first\n"
        "change of date.\n\n"
        "The saved data format is an ASCII fixed-length format, one line per packet, each\n"
        "value in meters in a field of 8 characters (a comma and 7 characters):\n\n"
        "A004,S32,B0,2014-02-10T16:00:40,05.0664,05.0671, ... (32 values)\n"
        "    A = ASCII format, 004 = device number, S32 = 32 samples per second,\n"
        "    B0 = battery good (B2 low, B3 bad), then the time of the first sample.\n"
        "F004,S32,B0,2014-02-10T16:00:40,05.0664, ...  float format, 32 values.\n"
        "I004,S16,B0,2014-02-10T16:00:40,05.0664, ...  integer format, 64 values.\n"
        "i004,S16,B0,2014-02-10T16:00:40,05.0664, ...  integer format, 60 values.\n"
        "f004,S04,B0,2014-02-10T16:00:40,05.0664, ...  Davav60 format (a converted Deve Zuravi\n"
        "    flash card), 60 values.\n"
        "C001,D1,S08,05.0920   one sample: device 1, 8 samples per second, 5.0920 m.\n"
        "C001,D8,2014-02-10    the date of the following samples.\n"
        "C001,D9,16:00:40      the time of the following samples.\n"
        "C001,D7,G             battery state: G good, L low, B bad.\n"
        "C001,D4,12.50         air temperature in degrees Celsius.");
}

} // namespace undarix::files
