#include "analysis/SeaStateFile.h"

#include "analysis/codec/SeaStateFormat.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "files/FileState.h"
#include "files/FileSupport.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <QFileInfo>

namespace undarix::analysis {
namespace {

struct SeaStateFileState {
    files::RecordFile file;
    files::WriteHealth health;
};

const files::WriteReport kSeaStateReport{core::mainpanel::LoggingIndicator, ui::kGreen,
                                         "sea-state file", "records"};

SeaStateFileState& File() {
    static SeaStateFileState state;
    return state;
}

// A record reaches the file whole and on the disk at once: one comes every 10 to 60 minutes.
void Append(const std::string& line) {
    SeaStateFileState& state = File();
    if (state.file.Append(line.data(), line.size()) && state.file.Sync())
        files::NoteWriteWorked(state.file, state.health, kSeaStateReport);
    else
        files::NoteWriteFailed(state.file, state.health, kSeaStateReport, 1);
}

// A new file of the series: truncated like its data file, and begun with the header. A
// failure is told on the status bar; the next record tries again.
bool OpenFor(const QString& name) {
    files::RecordFile& file = File().file;
    (void)file.Close();
    if (!file.Open(name, files::RecordFile::Mode::Replace)) {
        ui::ShowStatus(
            QString("The sea-state file could not be opened (%1): %2").arg(file.ErrorText(), name));
        return false;
    }
    Append(codec::SeaStateCsvHeader() + "\r\n");
    return true;
}

} // namespace

QString SeaStateFileNameFor(const QString& dataFileName) {
    const QFileInfo info(dataFileName);
    const QString suffix = info.suffix();
    QString base = dataFileName;
    if (!suffix.isEmpty()) base.chop(suffix.size() + 1);
    return base + "-seastate.csv";
}

void WriteSeaStateRecord(const codec::SeaStateRecord& record) {
    if (!core::Program.OutputDataFileOpen) return;
    const QString name = SeaStateFileNameFor(files::Files.data.SaveOutputDataFileName);
    const files::RecordFile& file = File().file;
    if ((!file.IsOpen() || file.FileName() != name) && !OpenFor(name)) return;
    Append(codec::SeaStateCsvLine(record) + "\r\n");
}

void CheckSeaStateFile() {
    if (!core::Program.OutputDataFileOpen) CloseSeaStateFile();
}

void CloseSeaStateFile() {
    (void)File().file.Close();
    File().health = {};
}

QString SeaStateFileName() {
    return File().file.IsOpen() ? File().file.FileName() : QString();
}

} // namespace undarix::analysis
