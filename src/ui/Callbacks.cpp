#include "ui/Callbacks.h"

#include "ui/ReadableText.h"

#include <QWidget>

namespace undarix::ui {

void OnEvent(Role role, Handler handler) {
    Entry(role).handler = std::move(handler);
}

void OnCommit(Role role, std::function<void()> action) {
    OnEvent(role, [action = std::move(action)](Event event) {
        if (event == Event::Commit) action();
    });
}

void SetHelp(Role role, const QString& title, const QString& text) {
    ControlEntry& entry = Entry(role);
    entry.help = [title, text]() -> std::optional<HelpText> { return HelpText{title, text}; };
    if (auto* widget = qobject_cast<QWidget*>(entry.object)) widget->setToolTip(ReadableText(text));
}

void SetHelpProvider(Role role, HelpProvider provider) {
    Entry(role).help = std::move(provider);
}

std::optional<HelpText> HelpOf(Role role) {
    ControlEntry& entry = Entry(role);
    return entry.help ? entry.help() : std::nullopt;
}

} // namespace undarix::ui
