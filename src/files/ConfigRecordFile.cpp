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
#include <set>

namespace undarix::files {
namespace {

struct ConfigRecordState {
    RecordFile file;
    WriteHealth health;
    std::map<std::uint64_t, std::string> latest; // the last line of each unit
    std::set<std::uint64_t> held; // units whose latest line is not in the open record yet
};

const WriteReport kConfigReport{core::mainpanel::LoggingIndicator, ui::kGreen,
                                "settings record", "lines"};

ConfigRecordState& State() {
    static ConfigRecordState state;
    return state;
}

// One line at a time reaches the disk whole: a settings line comes seldom and must survive a
// power cut that the data around it survives.
// A unit's line that could not be written is held and written once the disk takes lines
// again: a unit's settings are read once, and the data file must not go on without them.
bool Append(std::uint64_t address, const std::string& line) {
    ConfigRecordState& state = State();
    const std::string whole = line + "\n";
    if (state.file.Append(whole.data(), whole.size()) && state.file.Sync()) {
        NoteWriteWorked(state.file, state.health, kConfigReport);
        state.held.erase(address);
        return true;
    }
    NoteWriteFailed(state.file, state.health, kConfigReport, 1);
    state.held.insert(address);
    return false;
}

// The record of the data file now open, begun with every unit's latest line. False when it
// cannot be opened (said on the status bar; the next line tries again).
bool OpenForDataFile(std::uint64_t except) {
    ConfigRecordState& state = State();
    const QString name = ConfigRecordFileNameFor(Files.data.SaveOutputDataFileName);
    // A record removed (with its folder) under the log is made again, begun with every
    // unit's latest line, beside the data file made again.
    if (state.file.IsOpen() && state.file.FileName() == name &&
        state.file.Where() == RecordFile::Whereabouts::AtItsName)
        return true;
    (void)state.file.Close();
    state.held.clear();
    for (const auto& [address, line] : state.latest)
        if (address != except) state.held.insert(address);
    if (!state.file.Open(name, RecordFile::Mode::Replace)) {
        ui::ShowStatus(
            QString("The settings record could not be opened (%1): %2").arg(state.file.ErrorText(), name));
        return false;
    }
    for (const auto& [address, line] : state.latest)
        if (address != except && !Append(address, line)) break;
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
    if (OpenForDataFile(address))
        (void)Append(address, line);
    else
        state.held.insert(address);
}

void WriteHeldSettings() {
    ConfigRecordState& state = State();
    if (state.held.empty() || !core::Program.OutputDataFileOpen || !OpenForDataFile(0)) return;
    const std::set<std::uint64_t> held = state.held;
    for (const std::uint64_t address : held)
        if (!Append(address, state.latest[address])) return;
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
    state.held.clear();
}

} // namespace undarix::files
