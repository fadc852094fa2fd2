#pragma once

// Binding behaviour to controls: the callback of a control, and the help pop-up that a
// right-click shows (its text is also the control's tooltip).

#include "ui/ControlRegistry.h"

namespace undarix::ui {

void OnEvent(Role role, Handler handler);
// A handler for the commit event only, for buttons and menu items.
void OnCommit(Role role, std::function<void()> action);

void SetHelp(Role role, const QString& title, const QString& text);
// Help whose text depends on the program's state; returning nothing shows nothing.
void SetHelpProvider(Role role, HelpProvider provider);
// The help a right-click on the role would show now.
[[nodiscard]] std::optional<HelpText> HelpOf(Role role);

} // namespace undarix::ui
