#pragma once

// F1: the help of the control that has the keyboard focus, the same a right-click shows.

#include "ui/Callbacks.h"

#include <optional>

namespace undarix::ui {

// The help of the focused control: a spin box's line edit counts as its spin box, and a
// control without help of its own gives that of the nearest enclosing one that has some.
[[nodiscard]] std::optional<HelpText> HelpOfFocusedControl();

// Shows that help in its pop-up; without one, says in the status bar where help is found.
void ShowHelpOfFocusedControl();

} // namespace undarix::ui
