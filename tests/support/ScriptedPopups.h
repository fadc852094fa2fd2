#pragma once

// A pop-up driver that answers from a queue the test sets up. A pop-up the test did not
// expect, or one whose title differs from the next expected one, fails the test.

#include "ui/Popups.h"

#include <QString>
#include <deque>
#include <optional>
#include <vector>

namespace undarix::testing {

struct ShownPopup {
    QString kind; // "message", "confirm", "prompt", "file"
    QString title;
    QString text;
};

class ScriptedPopups : public ui::PopupDriver {
public:
    void ExpectMessage(const QString& title);
    void ExpectConfirm(const QString& title, bool answer);
    void ExpectPrompt(const QString& title, std::optional<QString> reply);
    void ExpectFile(const QString& title, ui::FileSelection selection);

    // Every pop-up shown so far, in order.
    [[nodiscard]] const std::vector<ShownPopup>& Shown() const { return shown_; }
    [[nodiscard]] bool AllAnswered() const { return expected_.empty(); }

    void Message(const QString& title, const QString& text) override;
    bool Confirm(const QString& title, const QString& text) override;
    std::optional<QString> Prompt(const QString& title, const QString& message,
                                  int maxLength) override;
    ui::FileSelection SelectFile(const ui::FileRequest& request) override;

private:
    struct Expected {
        QString kind;
        QString title;
        bool answer = false;
        std::optional<QString> reply;
        ui::FileSelection selection;
    };
    std::optional<Expected> Next(const QString& kind, const QString& title, const QString& text);

    std::deque<Expected> expected_;
    std::vector<ShownPopup> shown_;
};

} // namespace undarix::testing
