#pragma once

namespace undarix::files {

// Binds the menu items, the playback controls, their help and the two timers of the data
// file, the capture file and playback.
void BindFiles();

} // namespace undarix::files
