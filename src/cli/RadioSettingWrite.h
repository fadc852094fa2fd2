#pragma once

// A radio unit setting given on the companion's command line ("sample_rate=16"), checked
// against what the setting can take before anything is sent, and written by putting the value
// into the configuration page's controls and committing them, exactly as a user of the window
// would: the page's own callbacks format, send and resend the command.

#include "core/codec/SettingList.h"

#include <QString>

#include <optional>
#include <vector>

namespace undarix::cli {

struct RadioSettingWrite {
    QString name;  // "set1.staff_length"
    QString value; // as given
    // The parsed value: integers and reals, or the date and time fields (year to second).
    double number = 0.0;
    std::vector<int> fields;
    bool fromPc = false; // clock=pc
};

// The setting, or nothing with `problem` saying why (an unknown name, a value out of range
// with the range, a setting this kind has not).
[[nodiscard]] std::optional<RadioSettingWrite> ParseRadioSetting(const QString& text, int kind,
                                                                 QString& problem);

// Why the unit as read cannot take this write now (a calibration set the current mode does
// not address, gain and offset on a unit with a calibration table, ...); empty when it can.
[[nodiscard]] QString RadioWriteObstacle(const RadioSettingWrite& write);

// Puts the value into the page's controls and commits them.
void CommitRadioSetting(const RadioSettingWrite& write);

// Whether the acknowledged settings hold the value written (reals at the decimals sent).
[[nodiscard]] bool RadioWriteHolds(const RadioSettingWrite& write,
                                   const core::codec::SettingList& settings);

// Whether the unit acknowledges the write with "1" or the height alone, not with the setting's
// new value (calibration points, automatic calibration).
[[nodiscard]] bool AcknowledgedWithoutValue(const RadioSettingWrite& write);

// The names a radio unit's write takes, for the help.
extern const char* const kRadioWriteNamesHelp;

} // namespace undarix::cli
