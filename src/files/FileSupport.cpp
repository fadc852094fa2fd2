#include "files/FileSupport.h"

#include "files/codec/DataFileName.h"
#include "ui/Controls.h"
#include "ui/Popups.h"
#include "ui/StatusMessage.h"

namespace undarix::files {

bool PathFitsBuffer(const QString& path) {
    if (std::size_t(path.size()) <= codec::kMaxPathLength) return true;
    ui::MessagePopup("FILE NAME TOO LONG",
                     QString("The file name with its folders has %1 characters; at most %2 can "
                             "be used:\n%3\n\nPlease choose a shorter name or a folder nearer "
                             "the top of the disk.")
                         .arg(path.size())
                         .arg(codec::kMaxPathLength)
                         .arg(path));
    return false;
}

bool OpenForWriting(RecordFile& file, const QString& path, RecordFile::Mode mode,
                    const QString& consequence) {
    if (file.Open(path, mode)) return true;
    ShowOpenFailure(path, file.ErrorText(), consequence);
    return false;
}

void ShowOpenFailure(const QString& path, const QString& why, const QString& consequence) {
    ui::MessagePopup("FILE OPEN ERROR",
                     QString("The file\n%1\ncould not be opened for writing: %2.\n%3")
                         .arg(path, why, consequence));
}

void NoteWriteFailed(const RecordFile& file, WriteHealth& health, const WriteReport& report,
                     std::uint64_t lost) {
    health.lostSinceFailure += lost;
    health.lostTotal += lost;
    if (health.failing) return;
    health.failing = true;
    health.cause = file.ErrorText();
    ui::SetTextColor(report.indicator, ui::kRed);
    ui::ShowStatus(QString("Writing to the %1 failed (%2); the %3 that cannot be written are "
                           "counted, and writing is tried again with each: %4")
                       .arg(report.what, health.cause, report.records, file.FileName()));
}

void NoteWriteWorked(const RecordFile& file, WriteHealth& health, const WriteReport& report) {
    if (!health.failing) return;
    ui::SetTextColor(report.indicator, report.normalColor);
    ui::ShowStatus(QString("Writing to the %1 works again; %2 %3 could not be written (%4): %5")
                       .arg(report.what)
                       .arg(health.lostSinceFailure)
                       .arg(report.records, health.cause, file.FileName()));
    health.failing = false;
    health.lostSinceFailure = 0;
    health.cause.clear();
}

} // namespace undarix::files
