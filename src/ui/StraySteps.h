#pragma once

#include "ui/Role.h"

#include <initializer_list>

namespace undarix::ui {

// For controls whose commit writes to an instrument: numeric fields take a value only when it
// is typed and confirmed (Enter or leaving the field): no step arrows, arrow keys or mouse
// wheel, so no value on the way to the wanted one is written. Rings ignore the mouse wheel, so
// scrolling the page over one changes nothing; their keys and drop-down list stay.
void PreventStrayCommits(std::initializer_list<Role> roles);

} // namespace undarix::ui
