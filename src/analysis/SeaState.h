#pragma once

// The sea state of the live units: every decoded packet of a unit heard on the port feeds the
// accumulator; each interval that closes gives a record that goes to the Sea State page (table
// and plot), to the sea-state file beside the data file while logging, and to whoever else
// listens (ConnectSeaStateRecords). Played-back files are left to the companion's seastate
// command: they would mix old and new intervals.

#include "analysis/codec/SeaStateAccumulator.h"
#include "analysis/codec/SeaStateRecord.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

namespace undarix::analysis {

// A unit's clock as last heard, to close its interval when it falls silent.
struct HeardClock {
    std::int64_t stamp = 0;     // calendar seconds of the unit's clock at its last sample
    std::int64_t heardAtMs = 0; // the PC's clock then (ms since the epoch)
    double packetSeconds = 0;   // how long its last packet spanned
};

struct SeaStateState {
    codec::SeaStateAccumulator accumulator;
    std::deque<codec::SeaStateRecord> history; // oldest first, at least the last 7 days
    std::map<std::uint64_t, HeardClock> clocks;
    std::vector<std::function<void(const codec::SeaStateRecord&)>> listeners;
};

extern SeaStateState& SeaState;

// Records are kept in memory for the plot and the table at least this long (by their start).
inline constexpr std::int64_t kHistorySeconds = 7 * 24 * 3600;
// A unit silent for this long past the end of its interval (beyond its packet's own span)
// has its interval closed without waiting for its next packet.
inline constexpr double kSilenceGraceSeconds = 30.0;

// The dispatcher's hook: the samples of the record in `slot`, from a unit on the port.
void FeedSeaState(int slot);
// Once a second: closes the intervals of silent units; closes the sea-state file when
// logging has stopped.
void SeaStateTick();

// Every record the live program closes is handed to `listener` (after the page and the file
// have it). This is where publishing a record (one JSON line, SeaStateJsonLine) is attached.
void ConnectSeaStateRecords(std::function<void(const codec::SeaStateRecord&)> listener);

// Binds the page, its settings and the timer; the settings start at their defaults.
void BindSeaState();
// No units, no records, no listeners, settings at their defaults.
void ResetSeaState();

} // namespace undarix::analysis
