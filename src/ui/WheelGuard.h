#pragma once

// The mouse wheel over a value field changes the value only while the field has the focus
// (clicked or tabbed into). Otherwise the wheel scrolls what holds the field: a person
// scrolling a panel past the quality-control fields must not change a limit on the way.

namespace undarix::ui {

// Guards every spin box, list and slider of the application, those made later included.
// Calling it again does nothing more.
void GuardValuesFromTheWheel();

} // namespace undarix::ui
