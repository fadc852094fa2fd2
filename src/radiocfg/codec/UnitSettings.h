#pragma once

// A radio unit's settings under the names the companion, the settings record and the network
// output use: what the unit's read replies gave, and what its write acknowledges confirmed.
// The calibration sets are "set1" (current mode 1, replies "G"/"F") and "set2" ("T"/"S").

#include "core/codec/SettingList.h"

#include <string>
#include <string_view>
#include <vector>

namespace undarix::radiocfg::codec {

// Every name a radio unit's settings can carry, in the order they are listed.
[[nodiscard]] const std::vector<std::string_view>& UnitSettingNames();

// Takes the setting a read reply carries into `settings`; returns its name, or empty when the
// reply carries none (the session's opening acknowledge, an unknown key, a current mode of 0).
std::string ApplyReadReply(core::codec::SettingList& settings, std::string_view reply);

// Takes the value a write acknowledge confirms into `settings`; `sent` is the command it
// answers, whose date the start-time and clock acknowledges ("1") stand for. Returns the
// name of the setting confirmed, or empty. `confirmed` is false for an acknowledge that
// refuses (a start time, clock or clearing answered with anything but "1").
std::string ApplyWriteAcknowledge(core::codec::SettingList& settings, std::string_view reply,
                                  std::string_view sent, bool& confirmed);

// "2020-06-01T10:00" from the start-time command "WQ,20-06-01T10:00", and
// "2020-06-01T10:00:05" from the clock command; empty when `sent` is neither.
[[nodiscard]] std::string SentDateTime(std::string_view sent);

} // namespace undarix::radiocfg::codec
