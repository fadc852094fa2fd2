#pragma once

// Roles of the Sea State page: the table of records, the plot over time, the units it shows,
// and the quality-control settings.

#include "ui/Role.h"

namespace undarix::analysis::seastate {

inline constexpr ui::Role Table = "seaStateTable";
inline constexpr ui::Role Plot = "seaStatePlot";
inline constexpr ui::Role UnitList = "seaStateUnits"; // checked units are plotted
// Per unit, the interval under way: samples so far, when its record is due.
inline constexpr ui::Role Gathering = "seaStateGathering";
inline constexpr ui::Role Splitter = "seaStateSplitter";

// Settings.
inline constexpr ui::Role IntervalRing = "seaStateInterval"; // minutes: 10, 20, 30, 60
inline constexpr ui::Role TideFilterSwitch = "seaStateTideFilter";
inline constexpr ui::Role LevelSwitch = "seaStateRemoveLevel"; // the slow level is taken off
inline constexpr ui::Role BandLow = "seaStateBandLow";         // Hz
inline constexpr ui::Role BandHigh = "seaStateBandHigh";       // Hz; 0: follows the sea
inline constexpr ui::Role SpikeDeviations = "seaStateSpikeDeviations";
inline constexpr ui::Role FlatSeconds = "seaStateFlatSeconds";
inline constexpr ui::Role MinPresent = "seaStateMinPresent"; // percent
inline constexpr ui::Role RangeSwitch = "seaStateRangeOn";   // the user's limits are used
inline constexpr ui::Role RangeLow = "seaStateRangeLow";
inline constexpr ui::Role RangeHigh = "seaStateRangeHigh";
inline constexpr ui::Role ShiftLimit = "seaStateShiftLimit";
inline constexpr ui::Role DefaultsButton = "seaStateDefaults";

// The 1 s timer that closes the intervals of units gone silent.
inline constexpr ui::Role Timer = "seaStateTimer";

} // namespace undarix::analysis::seastate
