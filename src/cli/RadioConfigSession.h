#pragma once

// The companion's side of a radio unit's configuration session: it chooses the unit as the
// configuration page's chooser does, lets the program's own session timer and reply parser
// read it, and commits settings through the page's controls, listening to the session's
// settings events for what the unit reported and confirmed.

#include "cli/Console.h"
#include "cli/RadioSettingWrite.h"
#include "core/codec/SettingList.h"
#include "radiocfg/SettingsEvents.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace undarix::cli {

struct RadioTarget {
    int device = 0;            // 1 to 255, or 0 when chosen by address
    std::uint64_t address = 0; // or 0 when chosen by device number
};

class RadioConfigSession {
public:
    RadioConfigSession(QString port, int timeoutMs);
    ~RadioConfigSession();
    RadioConfigSession(const RadioConfigSession&) = delete;
    RadioConfigSession& operator=(const RadioConfigSession&) = delete;

    // Chooses the unit and reads its whole configuration into `settings`. Empty, or why not.
    [[nodiscard]] QString Read(const RadioTarget& target, core::codec::SettingList& settings);
    // Writes one setting and waits for its acknowledge. Empty when the unit confirmed it
    // (`confirmed` then holds what it took), or why not.
    [[nodiscard]] QString Write(const RadioSettingWrite& write, QString& confirmed);
    // Waits (within the timeout) until the session is idle: a re-read after a calibration
    // change has finished.
    void AwaitIdle();

private:
    QString port_;
    int timeoutMs_;
    int listener_ = 0;
    std::optional<radiocfg::SettingsEvent> event_;
};

// The command awaiting its reply, for messages ("RS").
[[nodiscard]] QString AwaitedCommand();

} // namespace undarix::cli
