#pragma once

// The one published form of a sea-state record, as a line of comma-separated values (the
// sea-state file, the companion's default output) and as a line of JSON (the companion's
// --json, and what is published per record). Numbers are written in the C locale's form
// whatever the user's locale (a point before the decimals, no grouping); a value that could
// not be had is an empty field in CSV and null in JSON.
//
// Fields, in order (CSV header names; JSON keys are the same):
//   device, address (16 hexadecimal digits), start (YYYY-MM-DDThh:mm:ss on the unit's clock),
//   interval_min, rate_hz, tide_filter (1/0; JSON true/false), level_removed (1/0: the slow
//   level was taken off before the statistics), flag, expected, present,
//   missing, longest_gap, gap_flag, out_of_range, range_flag, flat, longest_flat, flat_flag,
//   spikes, spike_flag, mean_shift_m, shift_flag, mean_m (the level), level_change_m (the
//   slow level's rise over the interval), analysed_s (the length of the cleaned series),
//   band_low_hz, band_high_hz (the wave band), hm0_m, tp_s, tm01_s, tm02_s,
//   tm_10_s, h1_3_m, t1_3_s, hmax_m, tmax_s, tz_s, waves, bandwidth, df_hz, segments, dof,
//   no_waves_because (empty with wave parameters; else why none: too short, too few waves)
// Flags are "pass", "suspect" or "fail". Counts are samples. Meters have 4 decimals, seconds
// 3, the bandwidth 3, df 6 and the degrees of freedom 1.

#include "analysis/codec/SeaStateRecord.h"

#include <string>
#include <utility>
#include <vector>

namespace undarix::analysis::codec {

// The header line, without a line end.
[[nodiscard]] const std::string& SeaStateCsvHeader();
// One record as a CSV line, without a line end.
[[nodiscard]] std::string SeaStateCsvLine(const SeaStateRecord& record);
// One record as a JSON object on one line, without a line end.
[[nodiscard]] std::string SeaStateJsonLine(const SeaStateRecord& record);
// Each field's name and its text as the CSV line gives it (for a table to show).
[[nodiscard]] std::vector<std::pair<std::string, std::string>>
SeaStateFieldTexts(const SeaStateRecord& record);

} // namespace undarix::analysis::codec
