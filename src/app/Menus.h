#pragma once

namespace undarix::app {

// Menu items of the application shell: Exit, Scale Contents On Resize, About. The other items
// belong to the subsystems that do their work.
void BindShellMenus();

void ScaleResizeMenu();
void AboutDADE_Interface();

} // namespace undarix::app
