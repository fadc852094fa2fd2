#pragma once

// The export of something shown (the chart, a spectrum) to a file the user chooses: the file
// dialog, the question before an existing file is replaced, a busy cursor while it is written,
// and what came of it (a message pop-up with the reason, or a status line).

#include "ui/Popups.h"

#include <QString>

#include <functional>

namespace undarix::ui {

// `write` writes the file at the path it is given and returns why it could not, or an empty
// text. `title` is the failure pop-up's title ("EXPORT CHART"); `what` names it on the status
// bar ("Chart exported to PATH").
void ExportToChosenFile(const FileRequest& request, const QString& title, const QString& what,
                        const std::function<QString(const QString& path)>& write);

} // namespace undarix::ui
