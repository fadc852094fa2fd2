#pragma once

// The text a control shows while the pointer rests on it (a state the control alone cannot
// say, such as why the port LED is red).

#include "ui/Role.h"

#include <QString>

namespace undarix::ui {

// Empty: no tool tip.
void SetToolTip(Role role, const QString& text);
[[nodiscard]] QString GetToolTip(Role role);

} // namespace undarix::ui
