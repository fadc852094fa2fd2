#pragma once

// From the device table to the sea-state accumulator: after the dispatcher has decoded a
// block or a single sample into WorkValue, its samples go in with the unit's time stamp and
// rate, each value as the data file logs it, so that the live records and those the
// companion later works out from the data file or the capture file are the same.

#include "analysis/codec/SeaStateAccumulator.h"

#include <cstdint>

namespace undarix::analysis {

// What the samples just fed were stamped with (for closing intervals on the clock).
struct FedSamples {
    bool fed = false;
    std::uint64_t address = 0;
    std::int64_t stamp = 0; // calendar seconds of the unit's clock at the last sample
    double seconds = 0.0;   // what the packet spans
};

// The samples of the record in `slot` (a block, or a single sample of record type 1) into the
// accumulator. Nothing for a unit without a valid time stamp or rate.
FedSamples FeedSeaStateFromTable(int slot, codec::SeaStateAccumulator& accumulator);

} // namespace undarix::analysis
