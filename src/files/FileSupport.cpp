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

bool OpenForWriting(QFile& file, const QString& path, const QString& consequence) {
    file.close();
    file.setFileName(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) return true;
    ui::MessagePopup("FILE OPEN ERROR",
                     QString("The file\n%1\ncould not be opened for writing: %2.\n%3")
                         .arg(path, file.errorString(), consequence));
    return false;
}

bool WriteChecked(QFile& file, const char* data, qint64 count, bool& failing, ui::Role indicator,
                  std::uint32_t normalColor, const QString& what) {
    const bool ok = file.write(data, count) == count;
    if (ok == !failing) return ok;
    failing = !ok;
    ui::SetTextColor(indicator, ok ? normalColor : ui::kRed);
    if (ok)
        ui::ShowStatus(QString("Writing to the %1 works again: %2").arg(what, file.fileName()));
    else
        ui::ShowStatus(QString("Writing to the %1 failed (%2); still trying: %3")
                           .arg(what, file.errorString(), file.fileName()));
    return ok;
}

} // namespace undarix::files
