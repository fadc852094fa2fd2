#pragma once

// A wired unit's or the board's configuration under the names the companion, the settings
// record and the network output use, decoded from the configuration record the hand-shake
// filled (the block of kinds 3 to 6, the board's report and clock line).

#include "core/codec/SettingList.h"
#include "core/codec/WiredConfigRecord.h"

#include <string_view>
#include <vector>

namespace undarix::wiredcfg::codec {

// Every name, in the order listed; a kind has only its own (README, "Wired units").
[[nodiscard]] const std::vector<std::string_view>& WiredSettingNames();

// The settings of `record` for `unitKind` 3 to 7; empty for other kinds.
[[nodiscard]] core::codec::SettingList WiredSettings(const core::WiredConfigRecord& record,
                                                     int unitKind);

} // namespace undarix::wiredcfg::codec
