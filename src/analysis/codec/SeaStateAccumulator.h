#pragma once

// The sea state of every unit, interval by interval, from samples fed as they arrive (live) or
// as a file holds them. Each sample is placed by its unit's time stamp and rate in the
// interval it falls in; intervals are aligned to whole multiples of their length from
// midnight of the unit's clock. An interval closes when the unit's first sample of a later
// interval arrives, when the caller's clock says it is over (a unit gone silent), or at the
// end of the input; each close gives one record. A unit never holds more than its one open
// interval, so any length of data runs in the same memory.
//
// Placing blocks: a block's time stamp holds whole seconds only, so its first sample lies in
// [stamp, stamp + 1 s). A block that follows the unit's previous one within that second is
// taken as its continuation; after a gap it is placed a whole number of blocks on when that
// also fits the second (the lost packets), else at its stamp.
//
// A rate change closes what came at the old rate as its own record (a change at an interval's
// edge leaves the interval before whole); the samples at the new rate make a record of their
// own, one for the same interval when the change fell inside it. Samples of an interval already
// closed are dropped.
//
// A jump of the time stamps beyond the open interval and the next (a clock set forward or
// back, or a few damaged stamps) is believed only once the unit goes on from where it jumped
// to for kJumpConfirmSeconds of samples: then the open interval closes and the unit goes on
// there. Until then the samples after the jump are held aside; a unit that goes on from where
// it was shows that the stamps were wrong, and the held samples are left out (they count as
// missing in their interval) instead of splitting it. At the end of the input a held jump is
// believed.
//
// At most kMostUnits units are followed at a time, so that an input naming many device
// numbers (a damaged or hostile file) cannot take the memory of one interval for each. A unit
// whose interval is closed gives its place to a new one; when all hold an open interval, the
// further units and their samples are counted, and the first kMostSkippedNamed of them
// named, for the caller to report.

#include "analysis/codec/SeaStateAnalysis.h"
#include "analysis/codec/SeaStateRecord.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace undarix::analysis::codec {

inline constexpr int kMostUnits = 64;
inline constexpr int kJumpConfirmSeconds = 300;
inline constexpr int kMostSkippedNamed = 64;
inline constexpr int kMostSkippedCounted = 65536; // beyond it: "at least"


// A unit beyond the first kMostUnits: its samples were not analysed.
struct SkippedUnit {
    std::uint64_t address = 0;
    int device = 0;
    std::uint64_t samples = 0;
};

class SeaStateAccumulator {
public:
    using RecordSink = std::function<void(const SeaStateRecord&)>;

    explicit SeaStateAccumulator(const SeaStateSettings& settings = {}, RecordSink sink = {});

    // Quality control and tide filter apply from the next record; a new interval length
    // drops the open intervals (their samples would not fit) and starts afresh.
    void SetSettings(const SeaStateSettings& settings);
    [[nodiscard]] const SeaStateSettings& Settings() const { return settings_; }
    void SetSink(RecordSink sink) { sink_ = std::move(sink); }

    // A block of `count` samples at `rate` Hz from the unit at `address`, the first stamped
    // `stamp` (calendar seconds), the others 1/rate apart.
    void AddBlock(std::uint64_t address, int device, std::int64_t stamp, int rate,
                  const float* values, int count);
    // One sample `index` samples after calendar second `stamp` (a single-sample unit counts its
    // samples from its last time record).
    void AddSample(std::uint64_t address, int device, std::int64_t stamp, int rate,
                   std::int64_t index, float value);

    // Closes the unit's open interval if it ends at or before calendar second `clock`; not
    // while stamps that jumped are held.
    void CloseEndedBy(std::uint64_t address, std::int64_t clock);
    // Closes every open interval (the end of the input).
    void Flush();
    // Forgets every unit and its open interval without a record.
    void Clear();

    [[nodiscard]] int Units() const { return int(units_.size()); }
    // Units beyond kMostUnits: how many (at least, from kMostSkippedCounted on), their
    // samples, and the first of them by name.
    [[nodiscard]] int SkippedUnits() const { return int(skippedSeen_.size()); }
    [[nodiscard]] std::uint64_t SkippedSamples() const { return skippedSamples_; }
    [[nodiscard]] const std::vector<SkippedUnit>& SkippedNamed() const { return skipped_; }
    [[nodiscard]] bool HasOpenInterval(std::uint64_t address) const;
    // Samples the units' buffers hold room for: the memory the accumulator takes.
    [[nodiscard]] std::size_t HeldSamples() const;

private:
    struct Unit {
        int device = 0;
        int rate = 0;
        bool open = false;
        bool hasInterval = false;    // an interval has been opened (it may be closed now)
        std::int64_t start = 0;      // calendar seconds of the last interval's start
        std::int64_t firstIndex = 0; // absolute sample number (seconds x rate) of its start
        std::int64_t endIndex = 0;
        std::int64_t nextIndex = -1; // where the next block would continue; -1: none
        int lastBlock = 0;
        std::int64_t rateFrom = -1; // sample number where a new rate took over; -1: none
        std::size_t analyseFrom = 0; // the interval's samples before it belong to the old rate
        std::vector<float> values; // NaN where no sample came
        // Samples after a jump of the stamps, not yet believed, from sample number heldFrom;
        // the run goes on at heldNext.
        std::vector<float> held;
        std::int64_t heldFrom = 0;
        std::int64_t heldNext = 0;
    };

    // Null for a unit beyond kMostUnits (its samples are counted).
    Unit* UnitFor(std::uint64_t address, int device, int rate, int samples, std::int64_t stamp);
    void Skip(std::uint64_t address, int device, int samples);
    [[nodiscard]] std::int64_t BlockPosition(const Unit& unit, std::int64_t stamped,
                                             int rate) const;
    // Falls in the unit's interval closed last, or in the one before the open interval.
    [[nodiscard]] bool IsLate(const Unit& unit, std::int64_t index) const;
    // Places the samples, or holds them when their stamps jumped; false when held.
    bool Take(std::uint64_t address, Unit& unit, std::int64_t index, const float* values,
              int count);
    // The unit's open interval or the one after it, or the one before (late samples).
    [[nodiscard]] bool FitsTheTimeline(const Unit& unit, std::int64_t index) const;
    // Closes the open interval and goes on from the held samples.
    void BelieveJump(std::uint64_t address, Unit& unit);
    void Place(std::uint64_t address, Unit& unit, std::int64_t index, const float* values,
               int count);
    void Open(Unit& unit, std::int64_t index);
    void Close(std::uint64_t address, Unit& unit);
    [[nodiscard]] std::int64_t IntervalSeconds() const;

    SeaStateSettings settings_;
    RecordSink sink_;
    std::map<std::uint64_t, Unit> units_;
    std::vector<SkippedUnit> skipped_;
    std::set<std::uint64_t> skippedSeen_;
    std::uint64_t skippedSamples_ = 0;
    SeaStateWorkspace work_;
};

} // namespace undarix::analysis::codec
