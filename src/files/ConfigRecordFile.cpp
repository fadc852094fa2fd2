#include "files/ConfigRecordFile.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "files/FileState.h"
#include "files/FileSupport.h"
#include "files/RecordFile.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <QFileInfo>

#include <map>

namespace undarix::files {
namespace {

struct ConfigRecordState {
    RecordFile file;
    WriteHealth health;
    std::map<std::uint64_t, std::string> latest; // the last line of each unit
};

const WriteReport kConfigReport{core::mainpanel::LoggingIndicator, ui::kGreen,
                                "settings record", "lines"};

ConfigRecordState& State() {
    static ConfigRecordState state;
    return state;
}

// One line at a time reaches the disk whole: a settings line comes seldom and must survive a
// power cut that the data around it survives.
void Append(const std::string& line) {
    ConfigRecordState& state = State();
    const std::string whole = line + "\n";
    if (state.file.Append(whole.data(), whole.size()) && state.file.Sync())
        NoteWriteWorked(state.file, state.health, kConfigReport);
    else
        NoteWriteFailed(state.file, state.health, kConfigReport, 1);
}

// The record of the data file now open, begun with every unit's latest line. False when it
// cannot be opened (said on the status bar; the next line tries again).
bool OpenForDataFile(std::uint64_t except) {
    ConfigRecordState& state = State();
    const QString name = ConfigRecordFileNameFor(Files.data.SaveOutputDataFileName);
    if (state.file.IsOpen() && state.file.FileName() == name) return true;
    (void)state.file.Close();
    if (!state.file.Open(name, RecordFile::Mode::Replace)) {
        ui::ShowStatus(
            QString("The settings record could not be opened (%1): %2").arg(state.file.ErrorText(), name));
        return false;
    }
    for (const auto& [address, line] : state.latest)
        if (address != except) Append(line);
    return true;
}

} // namespace

QString ConfigRecordFileNameFor(const QString& dataFileName) {
    const QString suffix = QFileInfo(dataFileName).suffix();
    QString base = dataFileName;
    if (!suffix.isEmpty()) base.chop(suffix.size() + 1);
    return base + "-config.jsonl";
}

void RecordUnitSettings(std::uint64_t address, const std::string& line) {
    ConfigRecordState& state = State();
    state.latest[address] = line;
    if (!core::Program.OutputDataFileOpen) {
        (void)state.file.Close();
        return;
    }
    if (OpenForDataFile(address)) Append(line);
}

void FollowDataFile() {
    ConfigRecordState& state = State();
    if (!core::Program.OutputDataFileOpen) {
        (void)state.file.Close();
        return;
    }
    if (state.latest.empty()) return;
    (void)OpenForDataFile(0);
}

QString ConfigRecordFileName() {
    return State().file.IsOpen() ? State().file.FileName() : QString();
}

void ResetConfigRecordFile() {
    ConfigRecordState& state = State();
    (void)state.file.Close();
    state.health = WriteHealth{};
    state.latest.clear();
}

} // namespace undarix::files
