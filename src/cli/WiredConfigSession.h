#pragma once

// The companion's side of a wired unit's or the board's configuration: the page's
// Configure/Run selector set to Configure, the program's own hand-shake and configuration
// cycle read the unit, settings are committed through the page's controls, and the
// read-back that follows each write confirms it.

#include "cli/WiredSettingWrite.h"
#include "core/codec/SettingList.h"
#include "wiredcfg/SettingsEvents.h"

#include <QString>

#include <optional>

namespace undarix::cli {

class WiredConfigSession {
public:
    explicit WiredConfigSession(int timeoutMs);
    ~WiredConfigSession();
    WiredConfigSession(const WiredConfigSession&) = delete;
    WiredConfigSession& operator=(const WiredConfigSession&) = delete;

    // Empty when read, or why not.
    [[nodiscard]] QString Read(core::codec::SettingList& settings);
    // Empty when the read-back holds the value (`confirmed`: what it holds), or why not.
    [[nodiscard]] QString Write(const WiredSettingWrite& write, QString& confirmed);

private:
    int timeoutMs_;
    int listener_ = 0;
    std::optional<wiredcfg::WiredSettingsEvent> event_;
};

} // namespace undarix::cli
