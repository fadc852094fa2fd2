#pragma once

namespace undarix::app {

// Menu items of the application shell: Exit, Scale Contents On Resize, About; and a short
// message for items whose work is not part of the program yet.
void BindShellMenus();

void ScaleResizeMenu();
void AboutDADE_Interface();

} // namespace undarix::app
