#pragma once

// The record of each unit's settings: every configuration read and every confirmed write, in
// the window or the companion, goes as one JSON line to the settings record beside the data
// file and, while the network output is on, retained to <root>/<device>/config.

namespace undarix::app {

void WireSettingsRecord();

} // namespace undarix::app
