#pragma once

// What the wired configuration learns of a wired unit or the board, told to whoever listens
// (the settings record, the companion) without going through the page: the configuration
// each time the hand-shake has read and shown it, marked when a write was sent before it (the
// read-back is the write's confirmation: what the unit now holds).

#include "core/codec/SettingList.h"

#include <functional>

namespace undarix::wiredcfg {

struct WiredSettingsEvent {
    bool afterWrite = false;
    core::codec::SettingList settings;
};

using WiredSettingsListener = std::function<void(const WiredSettingsEvent&)>;

int AddWiredSettingsListener(WiredSettingsListener listener);
void RemoveWiredSettingsListener(int id);

// From the wired configuration: a block or setting went to the unit; the configuration was
// read and shown.
void NoteWiredWriteSent();
void NoteWiredConfigShown();

void ResetWiredSettingsEvents();

} // namespace undarix::wiredcfg
