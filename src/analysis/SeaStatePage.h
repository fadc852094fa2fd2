#pragma once

// The Sea State page: the latest records, newest first, one row per unit per interval with
// its flags in colour, and Hm0 (left axis) and Tp (right axis) against time for the units
// ticked in the list beside the plot.

#include "analysis/codec/SeaStateRecord.h"

#include <QString>

#include <cstdint>

namespace undarix::analysis {

// Background colours of flagged cells, 0xRRGGBB.
inline constexpr std::uint32_t kPassColor = 0xC8EEC8;
inline constexpr std::uint32_t kSuspectColor = 0xFFE08A;
inline constexpr std::uint32_t kFailColor = 0xF4A6A6;
[[nodiscard]] std::uint32_t FlagColor(int flag);

// The table's columns: the record's field each shows, and its heading.
struct SeaStateColumn {
    const char* field;
    const char* heading;
    const char* flagField; // the flag that colours the cell, or nullptr
};
inline constexpr SeaStateColumn kSeaStateColumns[] = {
    {"start", "Start", nullptr},
    {"device", "Device", nullptr},
    {"address", "Address", nullptr},
    {"flag", "Quality", "flag"},
    {"why", "Why", "flag"}, // the page's own column: the checks that flagged the record
    {"hm0_m", "Hm0 (m)", nullptr},
    {"tp_s", "Tp (s)", nullptr},
    {"tm01_s", "Tm01 (s)", nullptr},
    {"tm02_s", "Tm02 (s)", nullptr},
    {"tm_10_s", "Tm-1,0 (s)", nullptr},
    {"h1_3_m", "H1/3 (m)", nullptr},
    {"t1_3_s", "T1/3 (s)", nullptr},
    {"hmax_m", "Hmax (m)", nullptr},
    {"tmax_s", "Tmax (s)", nullptr},
    {"tz_s", "Tz (s)", nullptr},
    {"waves", "Waves", nullptr},
    {"no_waves_because", "No waves because", nullptr},
    {"mean_m", "Mean level (m)", nullptr},
    {"level_change_m", "Level change (m)", nullptr},
    {"bandwidth", "Bandwidth", nullptr},
    {"dof", "Degrees of freedom", nullptr},
    {"analysed_s", "Analysed (s)", nullptr},
    {"band_low_hz", "Band from (Hz)", nullptr},
    {"band_high_hz", "Band to (Hz)", nullptr},
    {"rate_hz", "Rate (Hz)", nullptr},
    {"expected", "Expected", nullptr},
    {"present", "Present", nullptr},
    {"missing", "Missing", "gap_flag"},
    {"longest_gap", "Longest gap", "gap_flag"},
    {"spikes", "Spikes replaced", "spike_flag"},
    {"flat", "Flat", "flat_flag"},
    {"out_of_range", "Out of range", "range_flag"},
    {"mean_shift_m", "Mean shift (m)", "shift_flag"},
    {"tide_filter", "Tide filter", nullptr},
    {"level_removed", "Slow level off", nullptr},
};

void BindSeaStatePage();
// A closed record: its row at the top of the table, its unit in the list, its point on the
// plot; rows older than the records kept in memory leave the table.
void ShowSeaStateRecord(const codec::SeaStateRecord& record);
// Redraws the plot from the records kept (after a unit was ticked or unticked).
void RedrawSeaStatePlot();
// The samples of the record in `slot` were just fed: the unit's interval under way, its
// samples so far and when its record is due, for the page to show before the first record.
void NoteSeaStateGathering(int slot);
// Shows what came since the gathering text was last shown (the page's tick).
void ShowSeaStateGatheringIfChanged();
// What the page says of the intervals under way, one line per unit.
[[nodiscard]] QString SeaStateGatheringText();
// Why a record was flagged, in words ("62 % of the samples present"); empty when it passed.
[[nodiscard]] QString SeaStateFlagReason(const codec::QcResult& qc);

} // namespace undarix::analysis
