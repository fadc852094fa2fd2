#include "analysis/codec/SeaStateAccumulator.h"

#include <algorithm>
#include <cmath>

namespace undarix::analysis::codec {
namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

SeaStateAccumulator::SeaStateAccumulator(const SeaStateSettings& settings, RecordSink sink)
    : settings_(settings), sink_(std::move(sink)) {}

void SeaStateAccumulator::SetSettings(const SeaStateSettings& settings) {
    const bool newLength = settings.intervalMinutes != settings_.intervalMinutes;
    settings_ = settings;
    if (newLength) Clear();
}

std::int64_t SeaStateAccumulator::IntervalSeconds() const {
    return std::int64_t(std::max(1, settings_.intervalMinutes)) * 60;
}

void SeaStateAccumulator::Skip(std::uint64_t address, int device, int samples) {
    skippedSamples_ += std::uint64_t(samples);
    if (int(skippedSeen_.size()) < kMostSkippedCounted) skippedSeen_.insert(address);
    for (SkippedUnit& skipped : skipped_)
        if (skipped.address == address) {
            skipped.samples += std::uint64_t(samples);
            return;
        }
    if (int(skipped_.size()) < kMostSkippedNamed)
        skipped_.push_back({address, device, std::uint64_t(samples)});
}

SeaStateAccumulator::Unit* SeaStateAccumulator::UnitFor(std::uint64_t address, int device,
                                                        int rate, int samples,
                                                        std::int64_t stamp) {
    auto found = units_.find(address);
    if (found == units_.end()) {
        if (int(units_.size()) >= kMostUnits) {
            // A unit whose interval is closed makes room (a live session hears units come
            // and go); only when every one holds an open interval is the new unit skipped.
            const auto idle = std::find_if(units_.begin(), units_.end(),
                                           [](const auto& entry) { return !entry.second.open; });
            if (idle == units_.end()) {
                Skip(address, device, samples);
                return nullptr;
            }
            units_.erase(idle);
        }
        found = units_.emplace(address, Unit{}).first;
    }
    Unit& unit = found->second;
    unit.device = device;
    if (unit.rate != rate) {
        // What came at the old rate is a record of its own; the samples at the new rate
        // start a series of their own, even in the same interval. Each part of an interval
        // split so expects the samples of its own stretch only (nothing is missing where the
        // other rate was); a unit back after a silence at another rate misses what it did not
        // send.
        unit.rateFrom = unit.open ? stamp * rate : -1;
        if (unit.open) {
            const std::int64_t kept = unit.rate > 0 ? stamp * unit.rate - unit.firstIndex : 0;
            if (kept > std::int64_t(unit.analyseFrom) && kept < std::int64_t(unit.values.size()))
                unit.values.resize(std::size_t(kept));
            Close(address, unit);
            unit.hasInterval = false;
        }
        unit.rate = rate;
        unit.nextIndex = -1;
        unit.held.clear();
        if (unit.hasInterval) {
            unit.firstIndex = unit.start * rate;
            unit.endIndex = unit.firstIndex + IntervalSeconds() * rate;
        }
    }
    return &unit;
}

std::int64_t SeaStateAccumulator::BlockPosition(const Unit& unit, std::int64_t stamped,
                                                int rate) const {
    const std::int64_t next = unit.nextIndex;
    if (next < 0 || unit.lastBlock < 1) return stamped;
    if (next >= stamped + rate) return stamped; // the clock went back: trust the stamp
    if (next >= stamped) return next;           // the continuation
    // Lost blocks: a whole number of them, if that lands within the stamp's second.
    const std::int64_t block = unit.lastBlock;
    const std::int64_t lost = (stamped - next + block - 1) / block;
    const std::int64_t candidate = next + lost * block;
    return candidate < stamped + rate ? candidate : stamped;
}

void SeaStateAccumulator::AddBlock(std::uint64_t address, int device, std::int64_t stamp, int rate,
                                   const float* values, int count) {
    if (rate < 1 || count < 1) return;
    Unit* found = UnitFor(address, device, rate, count, stamp);
    if (!found) return;
    Unit& unit = *found;
    const std::int64_t index = BlockPosition(unit, stamp * rate, rate);
    if (!Take(address, unit, index, values, count)) return;
    unit.nextIndex = index + count;
    unit.lastBlock = count;
}

void SeaStateAccumulator::AddSample(std::uint64_t address, int device, std::int64_t stamp, int rate,
                                    std::int64_t index, float value) {
    if (rate < 1) return;
    Unit* unit = UnitFor(address, device, rate, 1, stamp);
    if (!unit) return;
    (void)Take(address, *unit, stamp * rate + index, &value, 1);
}

bool SeaStateAccumulator::FitsTheTimeline(const Unit& unit, std::int64_t index) const {
    const std::int64_t perInterval = unit.endIndex - unit.firstIndex;
    return index >= unit.firstIndex - perInterval && index < unit.endIndex + perInterval;
}

bool SeaStateAccumulator::Take(std::uint64_t address, Unit& unit, std::int64_t index,
                               const float* values, int count) {
    if (!unit.open || FitsTheTimeline(unit, index)) {
        unit.held.clear(); // the unit went on where it was: the stamps that jumped were wrong
        Place(address, unit, index, values, count);
        return true;
    }
    // A held run goes on at its next sample, give or take lost packets of up to ten seconds.
    const bool goesOn = !unit.held.empty() && index >= unit.heldNext - unit.rate &&
                        index < unit.heldNext + 10 * std::int64_t(unit.rate);
    if (!goesOn) {
        unit.held.clear();
        unit.heldFrom = unit.heldNext = index;
    }
    if (index > unit.heldNext)
        unit.held.resize(unit.held.size() + std::size_t(index - unit.heldNext), NAN);
    const std::int64_t overlap = std::clamp<std::int64_t>(unit.heldNext - index, 0, count);
    unit.held.insert(unit.held.end(), values + overlap, values + count);
    unit.heldNext = std::max(unit.heldNext, index + count);
    if (unit.heldNext - unit.heldFrom < std::int64_t(kJumpConfirmSeconds) * unit.rate) return false;
    BelieveJump(address, unit);
    return true;
}

void SeaStateAccumulator::BelieveJump(std::uint64_t address, Unit& unit) {
    Close(address, unit);
    std::vector<float> held;
    held.swap(unit.held);
    Place(address, unit, unit.heldFrom, held.data(), int(held.size()));
    unit.nextIndex = unit.heldNext;
}

void SeaStateAccumulator::Open(Unit& unit, std::int64_t index) {
    const std::int64_t perInterval = IntervalSeconds() * unit.rate;
    unit.firstIndex = FloorDiv(index, perInterval) * perInterval;
    unit.endIndex = unit.firstIndex + perInterval;
    unit.start = unit.firstIndex / unit.rate;
    unit.values.assign(std::size_t(perInterval), NAN);
    unit.analyseFrom = unit.rateFrom > unit.firstIndex && unit.rateFrom < unit.endIndex
                           ? std::size_t(unit.rateFrom - unit.firstIndex)
                           : 0;
    unit.rateFrom = -1;
    unit.open = true;
    unit.hasInterval = true;
}

bool SeaStateAccumulator::IsLate(const Unit& unit, std::int64_t index) const {
    if (!unit.hasInterval) return false;
    const std::int64_t perInterval = unit.endIndex - unit.firstIndex;
    const std::int64_t lateEnd = unit.open ? unit.firstIndex : unit.endIndex;
    return index >= unit.firstIndex - perInterval && index < lateEnd;
}

void SeaStateAccumulator::Place(std::uint64_t address, Unit& unit, std::int64_t index,
                                const float* values, int count) {
    for (int k = 0; k < count; ++k, ++index) {
        if (unit.open && index >= unit.endIndex) Close(address, unit);
        if (IsLate(unit, index)) continue; // its interval is closed already
        if (unit.open && index < unit.firstIndex) Close(address, unit); // the clock went back
        if (!unit.open) Open(unit, index);
        float& slot = unit.values[std::size_t(index - unit.firstIndex)];
        if (std::isnan(slot)) slot = values[k]; // a sample sent twice counts once
    }
}

void SeaStateAccumulator::Close(std::uint64_t address, Unit& unit) {
    if (!unit.open) return;
    unit.open = false;
    SeaStateRecord record =
        AnalyzeInterval(unit.values.data() + unit.analyseFrom,
                        int(unit.values.size() - unit.analyseFrom), unit.rate, settings_, work_);
    record.deviceNumber = unit.device;
    record.address = address;
    record.start = unit.start;
    if (sink_) sink_(record);
}

void SeaStateAccumulator::CloseEndedBy(std::uint64_t address, std::int64_t clock) {
    const auto found = units_.find(address);
    if (found == units_.end()) return;
    Unit& unit = found->second;
    // A clock read off stamps that jumped, the jump not believed yet, closes nothing.
    if (!unit.held.empty()) return;
    if (unit.open && unit.start + IntervalSeconds() <= clock) Close(address, unit);
}

void SeaStateAccumulator::Flush() {
    for (auto& [address, unit] : units_) {
        if (!unit.held.empty()) BelieveJump(address, unit);
        Close(address, unit);
    }
}

void SeaStateAccumulator::Clear() {
    units_.clear();
    skipped_.clear();
    skippedSeen_.clear();
    skippedSamples_ = 0;
}

bool SeaStateAccumulator::HasOpenInterval(std::uint64_t address) const {
    const auto found = units_.find(address);
    return found != units_.end() && found->second.open;
}

std::size_t SeaStateAccumulator::HeldSamples() const {
    std::size_t held = 0;
    for (const auto& [address, unit] : units_)
        held += unit.values.capacity();
    return held;
}

} // namespace undarix::analysis::codec
