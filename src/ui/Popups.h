#pragma once

// Modal pop-ups. Behaviour code calls these; a driver shows them. Tests install a driver that
// answers from a scripted queue.

#include <QString>

#include <memory>
#include <optional>

namespace undarix::ui {

// The file types are name filters: "*.csv", or "Data files (*.csv *.CSV)".
struct FileRequest {
    QString title;
    QString defaultPattern; // the filter shown first, e.g. "*.csv"
    QString typeList;       // the others, separated by ";", e.g. "*.txt;*.*"
    bool forSaving = false;
};

struct FileSelection {
    enum class Status { Cancelled, ExistingFile, NewFile };
    Status status = Status::Cancelled;
    QString path;
    QString filter{}; // the filter the user chose, when the dialog tells
};

class PopupDriver {
public:
    virtual ~PopupDriver() = default;
    virtual void Message(const QString& title, const QString& text) = 0;
    virtual bool Confirm(const QString& title, const QString& text) = 0;
    virtual std::optional<QString> Prompt(const QString& title, const QString& message,
                                          int maxLength) = 0;
    virtual FileSelection SelectFile(const FileRequest& request) = 0;
};

void MessagePopup(const QString& title, const QString& text);
// True when the user answered yes.
[[nodiscard]] bool ConfirmPopup(const QString& title, const QString& text);
// The reply, at most maxLength characters; nothing when cancelled.
[[nodiscard]] std::optional<QString> PromptPopup(const QString& title, const QString& message,
                                                 int maxLength);
// A new name typed without an extension for saving gets one, as a file dialog gives it: the
// extension of the chosen filter, or of the default pattern when the filter names none
// ("*.*"). Whether the file exists is then told for the name with its extension. An existing
// file chosen as it stands keeps its name.
[[nodiscard]] FileSelection FileSelectPopup(const FileRequest& request);

// The extension a saved file gets when its name has none ("api" for "*.api"); empty when
// neither the chosen filter nor the default pattern names exactly one.
[[nodiscard]] QString DefaultSuffix(const FileRequest& request, const QString& chosenFilter);

// Replaces the driver; returns the previous one. The default driver shows Qt dialogs when a
// window system is present and otherwise writes the message to standard error.
std::unique_ptr<PopupDriver> SetPopupDriver(std::unique_ptr<PopupDriver> driver);

} // namespace undarix::ui
