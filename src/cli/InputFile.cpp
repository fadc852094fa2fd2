#include "cli/InputFile.h"

#include <QFileInfo>

namespace undarix::cli {

InputKind KindOfInput(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "api") return InputKind::Capture;
    if (suffix == "csv") return InputKind::DataFile;
    return InputKind::Unknown;
}

} // namespace undarix::cli
