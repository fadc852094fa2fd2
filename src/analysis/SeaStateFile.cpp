#include "analysis/SeaStateFile.h"

#include "analysis/codec/SeaStateFormat.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "files/FileState.h"
#include "files/FileSupport.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <QFile>
#include <QFileInfo>

namespace undarix::analysis {
namespace {

struct SeaStateFileState {
    QFile file;
    bool writeFailing = false;
};

SeaStateFileState& File() {
    static SeaStateFileState state;
    return state;
}

// A new file of the series: truncated like its data file, and begun with the header. A
// failure is told on the status bar; the next record tries again.
bool OpenFor(const QString& name) {
    QFile& file = File().file;
    file.close();
    file.setFileName(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        ui::ShowStatus(QString("The sea-state file could not be opened (%1): %2")
                           .arg(file.errorString(), name));
        return false;
    }
    const std::string header = codec::SeaStateCsvHeader() + "\r\n";
    (void)files::WriteChecked(file, header.data(), qint64(header.size()), File().writeFailing,
                              core::mainpanel::LoggingIndicator, ui::kGreen, "sea-state file");
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
    QFile& file = File().file;
    if ((!file.isOpen() || file.fileName() != name) && !OpenFor(name)) return;
    const std::string line = codec::SeaStateCsvLine(record) + "\r\n";
    (void)files::WriteChecked(file, line.data(), qint64(line.size()), File().writeFailing,
                              core::mainpanel::LoggingIndicator, ui::kGreen, "sea-state file");
}

void CheckSeaStateFile() {
    if (!core::Program.OutputDataFileOpen) CloseSeaStateFile();
}

void CloseSeaStateFile() {
    File().file.close();
    File().writeFailing = false;
}

QString SeaStateFileName() {
    return File().file.isOpen() ? File().file.fileName() : QString();
}

} // namespace undarix::analysis
