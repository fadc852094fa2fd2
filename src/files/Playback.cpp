#include "files/Playback.h"

#include "core/EditHint.h"
#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "files/FileState.h"
#include "files/FileSupport.h"
#include "files/LineReader.h"
#include "link/ReceiveState.h"
#include "live/DeviceTable.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/Delay.h"
#include "ui/Popups.h"
#include "ui/StatusMessage.h"
#include "ui/Timers.h"

#include <QFileInfo>

#include <cstring>

namespace undarix::files {
namespace {

using core::Program;
using link::codec::ApiFrameAssembler;
namespace mainpanel = core::mainpanel;

constexpr qint64 kBlockSize = 1024;
constexpr int kCaptureFile = 1;
constexpr int kDataFile = 2;
// OpenCVSFileStatus
constexpr int kNotLookedAt = 0;
constexpr int kAccepted = 1;
constexpr int kRefused = 2;
// FileRxStatus
constexpr int kIdle = 0;
constexpr int kInside = 2;
constexpr int kServing = 3;

const char* const kFlashCardText =
    "The open Deve Zuravi or Deve Zuravi III Flash Card file must be \nConverted to a Davav60 "
    "type file to be used with this program\n\nClose the open file and use the TALQConvert "
    "Program to create a\nDavav60 file type. The TALQConvert Program is supplied with the "
    "Deve Zuravi units and can be obtained from your instrument supplier.";

// Both kinds of file that play, together first; each alone; anything.
const char* const kPlayableFiles = "Data and API frame files (*.csv *.CSV *.api)";
const char* const kPlayableFileTypes = "Data files (*.csv *.CSV);API frame files (*.api);*.*";

// A jump, a change of direction or a new file: the next line or frame starts afresh instead of
// splicing two places of the file together. Away from the start of the file the reader is
// probably inside a line, whose rest is passed over.
void ResetAssembly() {
    PlaybackState& playback = Files.playback;
    playback.lineCount = 0;
    playback.lineTooLong = false;
    playback.atLineStart = Program.FileLocation == 0;
    playback.frameAssembler.Reset();
    Program.FileRxStatus = kIdle;
}

void ShowPosition() {
    if (Files.playback.positionBeingTyped) return;
    ui::SetInt(mainpanel::PlaybackPosition, int(Program.FileLocation / 1024));
}

// Where the read position field gets its typing feedback: red text and the hint while the
// user types, the position shown again when the field is left without Enter.
bool PositionTyping(ui::Event event) {
    PlaybackState& playback = Files.playback;
    switch (event) {
    case ui::Event::KeyPress:
        playback.positionBeingTyped = true;
        ui::SetTextColor(mainpanel::PlaybackPosition, ui::kRed);
        core::ShowEditHint(core::kEnterJumpsInFile);
        return true;
    case ui::Event::LostFocus:
        playback.positionBeingTyped = false;
        ui::SetTextColor(mainpanel::PlaybackPosition, ui::kBlack);
        core::HideEditHint();
        return true;
    default: return false;
    }
}

// What the user does next with a file just opened.
QString NextStepAfterOpening() {
    if (Program.DataSource == core::kSourceFile)
        return "Press Start Plotting on the Chart page to play it.";
    return "To play it, set Data source to File on the Chart page and press Start Plotting.";
}

void StopPlotting() {
    Program.PlottingRunning = 0;
    core::CallHook(core::hooks.StopPlotting);
}

bool StartsLine(std::uint8_t byte) {
    return byte == 'A' || byte == 'F' || byte == 'I' || byte == 'C' || byte == 'f' || byte == 'i';
}

// What may stand before a line's kind letter without hiding the line: blanks and tabs of an
// indented line, and the UTF-8 byte-order mark an editor may have put at the start of the file.
bool LeadsLine(std::uint8_t byte) {
    return byte == ' ' || byte == '\t' || byte == 0xEF || byte == 0xBB || byte == 0xBF;
}

bool BeginsDataLine(const char* line, int length) {
    // Blanks stand for device 0 in some older files.
    const auto digit = [](char c) { return (c >= '0' && c <= '9') || c == ' '; };
    return length > 4 && digit(line[1]) && digit(line[2]) && digit(line[3]) && line[4] == ',';
}

void FeedDataFileByte(std::uint8_t byte) {
    PlaybackState& playback = Files.playback;
    if (Program.OpenCVSFileStatus == kNotLookedAt) {
        if (LeadsLine(byte)) return; // the first byte that says something decides
        // A flash-card file that was not converted begins with "Y".
        Program.OpenCVSFileStatus = byte == 'Y' ? kRefused : kAccepted;
        playback.lineCount = 0;
        if (Program.OpenCVSFileStatus == kRefused)
            ui::MessagePopup("FILE TYPE ERROR", kFlashCardText);
    }
    if (Program.OpenCVSFileStatus != kAccepted) return;

    // A line begins with a kind letter at the start of a line of the file (after blanks or a
    // byte-order mark, if any); header lines, blank lines and the rest of a line the reader
    // came into halfway are passed over.
    if (Program.FileRxStatus != kInside) {
        const bool lineStart = playback.atLineStart;
        if (lineStart && LeadsLine(byte)) return;
        playback.atLineStart = byte == '\r' || byte == '\n';
        if (!lineStart || !StartsLine(byte)) return;
        RxCSV[0] = char(byte);
        playback.lineCount = 1;
        playback.lineTooLong = false;
        Program.FileRxStatus = kInside;
        return;
    }
    if (byte == '\r' || byte == '\n') {
        Program.FileRxStatus = kIdle;
        playback.atLineStart = true;
        if (playback.lineTooLong) return; // dropped whole
        // A kind letter, a three-character device number and a comma: the lines of other files
        // (an exported spectrum's "Frequency (Hz),...") are no unit's.
        if (!BeginsDataLine(RxCSV, playback.lineCount)) return;
        RxCSV[playback.lineCount] = '\0';
        ++playback.served;
        RxCSVFileService();
        return;
    }
    if (playback.lineCount < int(kRxCSVSize) - 1)
        RxCSV[playback.lineCount++] = char(byte);
    else
        playback.lineTooLong = true;
}

// The frame is assembled apart and served through the shared frame buffer, which is given
// back afterwards: the port's frame being received meanwhile goes on whole.
void FeedCaptureFileByte(std::uint8_t byte) {
    PlaybackState& playback = Files.playback;
    ApiFrameAssembler& assembler = playback.frameAssembler;
    if (assembler.Feed(byte, playback.frameData) != ApiFrameAssembler::Result::Complete) {
        Program.FileRxStatus = assembler.State();
        return;
    }
    std::uint8_t liveFrame[link::kRxFrameSize];
    std::memcpy(liveFrame, link::RxFrame, sizeof liveFrame);
    const link::UartXbeeState liveState = link::UartXbee;
    const int length = assembler.FrameLength();
    std::memcpy(link::RxFrame, playback.frameData, std::size_t(length) + 1);
    link::UartXbee.frameLength = length;
    ++playback.served;
    Program.FileRxStatus = kServing;
    core::CallHook(core::hooks.RxDataService, std::uint8_t(0));
    assembler.Serve();
    Program.FileRxStatus = kIdle;
    std::memcpy(link::RxFrame, liveFrame, sizeof liveFrame);
    link::UartXbee = liveState;
}

// A file read to its end without one line or frame is no file of this program's (or of the
// chosen type): silence would look like a file of no data.
void SayWhenNothingWasRead() {
    const PlaybackState& playback = Files.playback;
    if (playback.served != 0 || Program.OpenCVSFileStatus == kRefused) return;
    const QString name = QFileInfo(playback.OpenFileName).fileName();
    if (Program.OpenFileType == kDataFile)
        ui::ShowStatus(QString("No data line found in %1: each line must begin with its kind "
                               "letter (A, F, I, i, f or C)")
                           .arg(name));
    else
        ui::ShowStatus(
            QString("No API frame with a good length and checksum found in %1").arg(name));
}

} // namespace

void FeedPlaybackBytes(const std::uint8_t* bytes, std::size_t count) {
    // The chart sets the assembly idle when plotting starts or the source changes.
    ApiFrameAssembler& assembler = Files.playback.frameAssembler;
    if (Program.FileRxStatus == kIdle && assembler.State() != ApiFrameAssembler::kHunting)
        assembler.Reset();
    const bool dataFile = Program.OpenFileType == kDataFile;
    Program.ServingPlayback = 1;
    for (std::size_t i = 0; i < count; ++i) {
        if (dataFile)
            FeedDataFileByte(bytes[i]);
        else
            FeedCaptureFileByte(bytes[i]);
        if (!Program.FileOpen) break; // closed while a pop-up was up
    }
    Program.ServingPlayback = 0;
}

void ReadFileTimer() {
    if (Program.DataSource != core::kSourceFile || !Program.PlottingRunning) return;
    QFile& file = Files.playback.OpenFileHandle;
    if (!Program.FileOpen || !file.isOpen()) return;

    if (Program.FileReadBackwards) {
        core::CallHook(core::hooks.ChartReset);
        Program.FileLocation =
            Program.FileLocation >= kBlockSize ? Program.FileLocation - kBlockSize : 0;
        file.seek(Program.FileLocation);
        ResetAssembly();
        ShowPosition();
        return;
    }

    std::uint8_t block[kBlockSize];
    const qint64 count = file.read(reinterpret_cast<char*>(block), kBlockSize);
    if (count < 0)
        ui::ShowStatus(QString("Reading %1 failed: %2").arg(file.fileName(), file.errorString()));
    if (count <= 0) {
        StopPlotting(); // the file stays open: the position can be moved back
        if (count == 0 && Files.playback.served != 0)
            ui::ShowStatus(QString("End of %1 reached: plotting stopped. Set Position back (or "
                                   "open another file) and press Start Plotting to play again.")
                               .arg(QFileInfo(Files.playback.OpenFileName).fileName()));
        SayWhenNothingWasRead();
        return;
    }
    Program.FileLocation += count;
    ShowPosition();
    FeedPlaybackBytes(block, std::size_t(count));
}

void PlotSpeedCtr(ui::Event event) {
    if (event != ui::Event::Commit) return;
    double speed = ui::GetReal(mainpanel::PlaybackSpeed);
    // The direction alone moves nothing: the line being read goes on. Each step back moves
    // the position and starts the assembly afresh there.
    Program.FileReadBackwards = speed < 0 ? 1 : 0;
    if (Program.FileReadBackwards) speed = -speed;
    if (speed == 0.0) {
        // Pauses: the interval would be infinite.
        ui::SetTimerEnabled(core::timer::ReadFile, false);
        return;
    }
    ui::SetTimerInterval(core::timer::ReadFile, 1.0 / speed);
    if (Program.FileOpen) ui::SetTimerEnabled(core::timer::ReadFile, true);
}

void FileKbPosition(ui::Event event) {
    if (PositionTyping(event) || event != ui::Event::Commit) return;
    Files.playback.positionBeingTyped = false;
    ui::SetTextColor(mainpanel::PlaybackPosition, ui::kBlack);
    core::HideEditHint();
    core::CallHook(core::hooks.ChartReset);
    Program.FileLocation = qint64(ui::GetInt(mainpanel::PlaybackPosition)) * kBlockSize;
    if (Program.FileOpen) Files.playback.OpenFileHandle.seek(Program.FileLocation);
    ResetAssembly();
}

void NameOfOpenFileToPlot(ui::Event) {}

void OpenFile2Plot() {
    const ui::FileSelection selection =
        ui::FileSelectPopup({"Open Data File", kPlayableFiles, kPlayableFileTypes, false});
    if (selection.status != ui::FileSelection::Status::ExistingFile) return;
    OpenFile2PlotPath(selection.path);
}

void OpenFile2PlotPath(const QString& path) {
    if (!PathFitsBuffer(path)) return;
    const QString type = path.right(3);
    const int fileType = type == "csv" || type == "CSV" ? kDataFile
                         : type == "api"                ? kCaptureFile
                                                        : 0;
    CloseFile2Plot();
    if (fileType == 0) {
        ui::MessagePopup("WRONG FILE TYPE", "Allowed File types are *.csv and *.api");
        return;
    }

    PlaybackState& playback = Files.playback;
    playback.OpenFileHandle.setFileName(path);
    if (!playback.OpenFileHandle.open(QIODevice::ReadOnly)) {
        ui::MessagePopup("FILE OPEN ERROR", QString("The file\n%1\ncould not be opened: %2.")
                                                .arg(path, playback.OpenFileHandle.errorString()));
        return;
    }
    playback.OpenFileName = path;
    Program.OpenFileType = fileType;
    Program.OpenCVSFileStatus = kNotLookedAt;
    ui::SetDimmed(core::menu::CloseFile, false);
    ui::SetText(mainpanel::PlaybackFileName, path);
    ui::SetTimerInterval(core::timer::ReadFile, 1.0);
    ui::SetReal(mainpanel::PlaybackSpeed, 1.0);
    ui::SetDimmed(mainpanel::PlaybackSpeed, false);
    ui::SetDimmed(mainpanel::PlaybackPosition, false);
    Program.FileReadBackwards = 0;
    Program.FileOpen = 1;

    Program.FileOpenSize = playback.OpenFileHandle.size();
    ui::SetRange(mainpanel::PlaybackPosition, 0, double(Program.FileOpenSize / kBlockSize));
    playback.positionBeingTyped = false;
    ui::SetInt(mainpanel::PlaybackPosition, 0);
    Program.FileLocation = 0;
    ResetAssembly();
    playback.served = 0;
    ui::SetTimerEnabled(core::timer::ReadFile, true);

    if (Program.DataSource == core::kSourceFile) {
        live::ClearAllOutputLines();
        StopPlotting();
        core::CallHook(core::hooks.ChartReset);
    }
    ui::ShowStatus(QString("File open for playback: %1. %2").arg(path, NextStepAfterOpening()));
}

void CloseFile2Plot() {
    if (!Program.FileOpen) return;
    Program.FileOpen = 0;
    ui::Delay(0.6); // lets a read under way finish with the file
    ClosePlaybackFileNow();
}

void ClosePlaybackFileNow() {
    PlaybackState& playback = Files.playback;
    playback.OpenFileHandle.close();
    playback.OpenFileName.clear();
    Program.FileOpen = 0;
    ui::SetDimmed(core::menu::CloseFile, true);
    ui::SetText(mainpanel::PlaybackFileName, QString());
    ui::SetTimerEnabled(core::timer::ReadFile, false);
    ui::SetDimmed(mainpanel::PlaybackSpeed, true);
    ui::SetDimmed(mainpanel::PlaybackPosition, true);
    ui::SetRange(mainpanel::PlaybackPosition, 0, 100);
    playback.positionBeingTyped = false;
    ui::DefaultCtrl(mainpanel::PlaybackPosition);
    ResetAssembly();
}

void HelpOpenFile2Plot() {
    ui::MessagePopup(
        "OPEN FILE FROM THIS COMPUTER",
        "To open a file to plot on the Chart, select from the Menu Bar: File / Open File to "
        "Plot. Two kinds of file can be played back: data files saved with Save Output Data "
        "(*.csv) and API frame files saved with Save API Frame Data (*.api).\n\n"
        "Set Data source on the Chart page to File, then press the Start Plotting button. "
        "Speed sets the kilobytes read per second (negative values step backwards); Position "
        "jumps to a kilobyte of the file.\n\n"
        "To turn an API frame file into a data file, or to check a data file line by line, run "
        "undarix-cli convert INPUT OUTPUT.csv in a terminal.\n\n"
        "Deve Zuravi and Deve Zuravi III flash-card files are not played back: convert them to "
        "a Davav60 data file first, with the converter for those units from your instrument "
        "supplier.");
}

} // namespace undarix::files
