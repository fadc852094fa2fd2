#include "ui/ToolTip.h"

#include "ui/ControlRegistry.h"

#include <QWidget>

namespace undarix::ui {

void SetToolTip(Role role, const QString& text) {
    if (auto* widget = qobject_cast<QWidget*>(Entry(role).object.data()))
        widget->setToolTip(text);
}

QString GetToolTip(Role role) {
    const auto* widget = qobject_cast<QWidget*>(Entry(role).object.data());
    return widget ? widget->toolTip() : QString();
}

} // namespace undarix::ui
