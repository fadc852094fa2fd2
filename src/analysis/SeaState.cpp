#include "analysis/SeaState.h"

#include "analysis/SeaStateFeed.h"
#include "analysis/SeaStateFile.h"
#include "analysis/SeaStatePage.h"
#include "analysis/SeaStateRoles.h"
#include "analysis/SeaStateSettings.h"
#include "core/ProgramState.h"
#include "ui/Clock.h"
#include "ui/Timers.h"

#include <cmath>

namespace undarix::analysis {
namespace {

SeaStateState state; // for the program's life

// Generous: 8 units at 10-minute intervals for 7 days fit twice over.
constexpr std::size_t kMostRecordsKept = 2 * 8 * 7 * 24 * 6;

void KeepHistory(const codec::SeaStateRecord& record) {
    std::deque<codec::SeaStateRecord>& history = SeaState.history;
    history.push_back(record);
    // Only records older than 7 days before the newest go, or the count's bound.
    const std::int64_t newest = record.start;
    while (!history.empty() &&
           (history.size() > kMostRecordsKept || history.front().start < newest - kHistorySeconds))
        history.pop_front();
}

void RecordClosed(const codec::SeaStateRecord& record) {
    KeepHistory(record);
    ShowSeaStateRecord(record);
    WriteSeaStateRecord(record);
    for (const auto& listener : SeaState.listeners)
        listener(record);
}

} // namespace

SeaStateState& SeaState = state;

void FeedSeaState(int slot) {
    if (core::Program.ServingPlayback) return; // a played file's intervals are not this site's
    const FedSamples fed = FeedSeaStateFromTable(slot, SeaState.accumulator);
    if (!fed.fed) return;
    HeardClock& clock = SeaState.clocks[fed.address];
    clock.stamp = fed.stamp;
    clock.heardAtMs = ui::NowMs();
    clock.packetSeconds = fed.seconds;
}

void SeaStateTick() {
    const qint64 now = ui::Now().toMSecsSinceEpoch();
    for (const auto& [address, clock] : SeaState.clocks) {
        // The unit's clock now, less what a packet still under way could need.
        const double silent = double(now - clock.heardAtMs) / 1000.0;
        const double wait = kSilenceGraceSeconds + clock.packetSeconds;
        const std::int64_t unitNow = clock.stamp + std::int64_t(std::floor(silent - wait));
        SeaState.accumulator.CloseEndedBy(address, unitNow);
    }
    RefreshStaffLimits();
    CheckSeaStateFile();
    ShowSeaStateGatheringIfChanged();
}

void ConnectSeaStateRecords(std::function<void(const codec::SeaStateRecord&)> listener) {
    SeaState.listeners.push_back(std::move(listener));
}

void BindSeaState() {
    SeaState.accumulator.SetSink(RecordClosed);
    BindSeaStateSettings();
    BindSeaStatePage();
    ui::CreateTimer(seastate::Timer, 1.0, SeaStateTick);
    ui::SetTimerEnabled(seastate::Timer, true);
}

void ResetSeaState() {
    CloseSeaStateFile();
    SeaState.accumulator.Clear();
    SeaState.accumulator.SetSink({});
    SeaState.history.clear();
    SeaState.clocks.clear();
    SeaState.listeners.clear();
    ResetSeaStateSettings();
}

} // namespace undarix::analysis
