#include "ui/ExportToFile.h"

#include "ui/BusyCursor.h"
#include "ui/StatusMessage.h"

namespace undarix::ui {

void ExportToChosenFile(const FileRequest& request, const QString& title, const QString& what,
                        const std::function<QString(const QString& path)>& write) {
    const FileSelection selection = FileSelectPopup(request);
    if (selection.status == FileSelection::Status::Cancelled) return;
    if (selection.status == FileSelection::Status::ExistingFile &&
        !ConfirmPopup("Confirm Save File", "The file already exist\n Do you want to replace it?"))
        return;
    QString problem;
    {
        const BusyCursor busy;
        problem = write(selection.path);
    }
    if (!problem.isEmpty()) {
        MessagePopup(title, problem);
        return;
    }
    ShowStatus(QString("%1 exported to %2").arg(what, selection.path));
}

} // namespace undarix::ui
