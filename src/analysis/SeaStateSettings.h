#pragma once

// The quality-control settings group of the Sea State page: interval, tide filter and the
// thresholds of the tests. A change applies from the next record; a new interval length
// starts the open intervals afresh.

#include "analysis/codec/SeaStateAnalysis.h"

namespace undarix::analysis {

// The settings the controls show, with the staff's limits not yet applied.
[[nodiscard]] codec::SeaStateSettings SeaStateSettingsFromControls();
// Shows `settings` on the controls.
void ShowSeaStateSettings(const codec::SeaStateSettings& settings);
// Shows `settings` and takes them into use at once (the companion's log, which has no page).
void ApplySeaStateSettings(const codec::SeaStateSettings& settings);

// The unit's range when the staff is known: 0 .. its length, shifted by the zero offset the
// values are taken relative to. Wired units report their staff length; radio units and the
// board's staffs use the user's limits.
[[nodiscard]] codec::SeaStateSettings WithStaffLimits(const codec::SeaStateSettings& settings);

// Applies the staff's limits anew when they changed (a wired unit read, zero mode switched).
void RefreshStaffLimits();

void BindSeaStateSettings();
void ResetSeaStateSettings();

} // namespace undarix::analysis
