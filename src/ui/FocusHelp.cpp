#include "ui/FocusHelp.h"

#include "ui/ControlValues.h"
#include "ui/StatusMessage.h"

#include <QApplication>
#include <QWidget>

namespace undarix::ui {

std::optional<HelpText> HelpOfFocusedControl() {
    for (QWidget* widget = QApplication::focusWidget(); widget; widget = widget->parentWidget()) {
        const QString name = widget->objectName();
        if (name.isEmpty() || name.startsWith("qt_") || !IsRegistered(name.toStdString())) continue;
        if (std::optional<HelpText> help = HelpOf(name.toStdString())) return help;
        if (widget->isWindow()) break;
    }
    return std::nullopt;
}

void ShowHelpOfFocusedControl() {
    if (const std::optional<HelpText> help = HelpOfFocusedControl()) {
        ShowHelpPopup(help->title, help->text);
        return;
    }
    ShowStatus("This control has no help of its own; right-click a control or hover over it "
               "for its help");
}

} // namespace undarix::ui
