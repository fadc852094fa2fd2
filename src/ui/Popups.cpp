#include "ui/Popups.h"

#include "ui/ReadableText.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>

#include <cstdio>

namespace undarix::ui {
namespace {

QWidget* DialogParent() {
    return QApplication::activeWindow();
}

bool HaveWindows() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// The folder of the file chosen last, where the next file dialog opens, in this run and the
// next (a log and its exports usually sit together); the working folder the first time.
QSettings FolderStore() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "Undarix", "undarix");
}

QString LastFileFolder() {
    const QString folder = FolderStore().value("files/lastFolder").toString();
    return QFileInfo(folder).isDir() ? folder : QString();
}

void RememberFileFolder(const QString& path) {
    FolderStore().setValue("files/lastFolder", QFileInfo(path).absolutePath());
}

class QtPopupDriver : public PopupDriver {
public:
    void Message(const QString& title, const QString& text) override {
        if (!HaveWindows()) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
            return;
        }
        QMessageBox::information(DialogParent(), title, ReadableText(text));
    }

    bool Confirm(const QString& title, const QString& text) override {
        if (!HaveWindows()) return false;
        return QMessageBox::question(DialogParent(), title, ReadableText(text)) == QMessageBox::Yes;
    }

    std::optional<QString> Prompt(const QString& title, const QString& message,
                                  int maxLength) override {
        if (!HaveWindows()) return std::nullopt;
        QInputDialog dialog(DialogParent());
        dialog.setWindowTitle(title);
        dialog.setLabelText(ReadableText(message));
        dialog.setInputMode(QInputDialog::TextInput);
        if (auto* edit = dialog.findChild<QLineEdit*>()) edit->setMaxLength(maxLength);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.textValue().left(maxLength);
    }

    FileSelection SelectFile(const FileRequest& request) override {
        if (!HaveWindows()) return {};
        // Qt's own dialog asks about replacing; the program asks with its own words.
        const QString filter = FilterFor(request);
        QString chosen;
        const QString path =
            request.forSaving
                ? QFileDialog::getSaveFileName(DialogParent(), request.title, LastFileFolder(),
                                               filter, &chosen, QFileDialog::DontConfirmOverwrite)
                : QFileDialog::getOpenFileName(DialogParent(), request.title, LastFileFolder(),
                                               filter, &chosen);
        if (path.isEmpty()) return {};
        RememberFileFolder(path);
        return {QFileInfo::exists(path) ? FileSelection::Status::ExistingFile
                                        : FileSelection::Status::NewFile,
                path, chosen};
    }

private:
    static QString FilterFor(const FileRequest& request) {
        QStringList filters;
        if (!request.defaultPattern.isEmpty()) filters << request.defaultPattern;
        for (const QString& pattern : request.typeList.split(';', Qt::SkipEmptyParts))
            if (!filters.contains(pattern)) filters << pattern;
        return filters.join(";;");
    }
};

std::unique_ptr<PopupDriver>& Driver() {
    static std::unique_ptr<PopupDriver> driver = std::make_unique<QtPopupDriver>();
    return driver;
}

} // namespace

void MessagePopup(const QString& title, const QString& text) {
    Driver()->Message(title, text);
}

bool ConfirmPopup(const QString& title, const QString& text) {
    return Driver()->Confirm(title, text);
}

std::optional<QString> PromptPopup(const QString& title, const QString& message, int maxLength) {
    return Driver()->Prompt(title, message, maxLength);
}

namespace {

// The extensions a name filter names: "Data files (*.csv *.CSV)" gives csv twice, "*.*" none.
QStringList SuffixesOf(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9_]+)"));
    QStringList suffixes;
    for (const QRegularExpressionMatch& match : pattern.globalMatch(filter))
        if (!suffixes.contains(match.captured(1), Qt::CaseInsensitive))
            suffixes << match.captured(1);
    return suffixes;
}

QString OnlySuffixOf(const QString& filter) {
    const QStringList suffixes = SuffixesOf(filter);
    return suffixes.size() == 1 ? suffixes.front() : QString();
}

} // namespace

QString DefaultSuffix(const FileRequest& request, const QString& chosenFilter) {
    const QString chosen = OnlySuffixOf(chosenFilter);
    return chosen.isEmpty() ? OnlySuffixOf(request.defaultPattern) : chosen;
}

FileSelection FileSelectPopup(const FileRequest& request) {
    FileSelection selection = Driver()->SelectFile(request);
    if (!request.forSaving || selection.status == FileSelection::Status::Cancelled)
        return selection;
    // A file chosen as it stands (a device, a file of the user's naming) is taken as it is.
    const QString suffix = DefaultSuffix(request, selection.filter);
    if (suffix.isEmpty() || QFileInfo(selection.path).fileName().contains('.') ||
        QFileInfo::exists(selection.path))
        return selection;
    selection.path += '.' + suffix;
    selection.status = QFileInfo::exists(selection.path) ? FileSelection::Status::ExistingFile
                                                         : FileSelection::Status::NewFile;
    return selection;
}

std::unique_ptr<PopupDriver> SetPopupDriver(std::unique_ptr<PopupDriver> driver) {
    std::swap(Driver(), driver);
    return driver;
}

} // namespace undarix::ui
