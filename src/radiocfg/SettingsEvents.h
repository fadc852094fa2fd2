#pragma once

// What the configuration session learns of a radio unit, told to whoever listens (the
// settings record, the companion) without going through the page: the whole configuration
// once its read is complete, and each write the unit acknowledged. The reply parser feeds it.

#include "core/codec/SettingList.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace undarix::radiocfg {

struct SettingsEvent {
    enum class What {
        Read,    // the read sequence is complete
        Write,   // a write acknowledge echoed the value sent
        Refused, // a write acknowledge came back with another value
    };
    What what = What::Read;
    std::uint64_t address = 0;
    // Everything known of the unit now, the confirmed value included.
    core::codec::SettingList settings;
    // Write and Refused: the setting the acknowledge answered, and the value it echoed.
    std::string changed;
    std::string echoed;
};

using SettingsListener = std::function<void(const SettingsEvent&)>;

// Returns an id for RemoveSettingsListener. Resetting the radio configuration removes all.
int AddSettingsListener(SettingsListener listener);
void RemoveSettingsListener(int id);

// The settings known of the unit being configured (empty before its session opened).
[[nodiscard]] const core::codec::SettingList& KnownSettings();

// From the reply parser, after the reply was handled: the session was opened ("$WZ,2"); a
// read reply; a write acknowledge that ended its wait, `matched` when the echo was the value
// the control held.
void NoteSessionOpened();
void NoteReadReply(std::string_view reply);
void NoteWriteAcknowledge(std::string_view reply, bool matched);

void ResetSettingsEvents();

} // namespace undarix::radiocfg
