#pragma once

// A wired unit's or the board's setting given on the companion's command line, checked before
// anything is sent and written through the configuration page's controls as the window's
// user writes it: the whole block ("w" and the rebuilt block) for kinds 3 to 6, the board's
// own command for the board. The unit's read-back confirms it.

#include "core/codec/SettingList.h"

#include <QString>

#include <optional>
#include <vector>

namespace undarix::cli {

struct WiredSettingWrite {
    QString name;
    QString value;
    double number = 0.0;
    std::vector<int> fields; // a date: year to minute, or to second
    bool fromPc = false;     // clock=pc
};

[[nodiscard]] std::optional<WiredSettingWrite> ParseWiredSetting(const QString& text, int kind,
                                                                 QString& problem);
void CommitWiredSetting(const WiredSettingWrite& write);
// Whether the configuration read back holds the value written.
[[nodiscard]] bool WiredWriteHolds(const WiredSettingWrite& write,
                                   const core::codec::SettingList& settings);

extern const char* const kWiredWriteNamesHelp;

} // namespace undarix::cli
