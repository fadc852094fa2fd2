#include "support/ScriptedPopups.h"

#include <gtest/gtest.h>

namespace undarix::testing {

void ScriptedPopups::ExpectMessage(const QString& title) {
    expected_.push_back({"message", title, false, std::nullopt, {}});
}

void ScriptedPopups::ExpectConfirm(const QString& title, bool answer) {
    expected_.push_back({"confirm", title, answer, std::nullopt, {}});
}

void ScriptedPopups::ExpectPrompt(const QString& title, std::optional<QString> reply) {
    expected_.push_back({"prompt", title, false, std::move(reply), {}});
}

void ScriptedPopups::ExpectFile(const QString& title, ui::FileSelection selection) {
    expected_.push_back({"file", title, false, std::nullopt, std::move(selection)});
}

std::optional<ScriptedPopups::Expected> ScriptedPopups::Next(const QString& kind,
                                                             const QString& title,
                                                             const QString& text) {
    shown_.push_back({kind, title, text});
    if (expected_.empty()) {
        ADD_FAILURE() << "unexpected " << kind.toStdString() << " pop-up \"" << title.toStdString()
                      << "\": " << text.toStdString();
        return std::nullopt;
    }
    Expected next = expected_.front();
    expected_.pop_front();
    if (next.kind != kind || next.title != title) {
        ADD_FAILURE() << "expected " << next.kind.toStdString() << " pop-up \""
                      << next.title.toStdString() << "\", got " << kind.toStdString() << " \""
                      << title.toStdString() << "\"";
        return std::nullopt;
    }
    return next;
}

void ScriptedPopups::Message(const QString& title, const QString& text) {
    (void)Next("message", title, text);
}

bool ScriptedPopups::Confirm(const QString& title, const QString& text) {
    auto next = Next("confirm", title, text);
    return next && next->answer;
}

std::optional<QString> ScriptedPopups::Prompt(const QString& title, const QString& message,
                                              int maxLength) {
    auto next = Next("prompt", title, message);
    if (!next || !next->reply) return std::nullopt;
    return next->reply->left(maxLength);
}

ui::FileSelection ScriptedPopups::SelectFile(const ui::FileRequest& request) {
    // The text shown is the list of file types, the one shown first before the others.
    auto next = Next("file", request.title, request.defaultPattern + ";" + request.typeList);
    return next ? next->selection : ui::FileSelection{};
}

} // namespace undarix::testing
