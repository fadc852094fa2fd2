#pragma once

// Modal pop-ups. Behaviour code calls these; a driver shows them. Tests install a driver that
// answers from a scripted queue.

#include <QString>

#include <memory>
#include <optional>

namespace undarix::ui {

struct FileRequest {
    QString title;
    QString defaultPattern; // e.g. "*.csv"
    QString typeList;       // e.g. "*.txt;*.*"
    bool forSaving = false;
};

struct FileSelection {
    enum class Status { Cancelled, ExistingFile, NewFile };
    Status status = Status::Cancelled;
    QString path;
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
[[nodiscard]] FileSelection FileSelectPopup(const FileRequest& request);

// Replaces the driver; returns the previous one. The default driver shows Qt dialogs when a
// window system is present and otherwise writes the message to standard error.
std::unique_ptr<PopupDriver> SetPopupDriver(std::unique_ptr<PopupDriver> driver);

} // namespace undarix::ui
