#pragma once

// Automatic time sync of radio units: once a second the display timer walks the device table
// slot by slot; for an occupied slot it waits for that unit's next packet, which the
// dispatcher answers with a time-sync message, then moves on. After the last slot it pauses
// (briefly while units have lately joined or changed rate, long otherwise) and starts over.

#include "ui/Event.h"

namespace undarix::live {

// The walk's own state; EnaAutoSync, AutoSyncLoc, AutoWaitSync and FastSyncSecTimeout are
// program-wide because the dispatcher and the configuration pages use them too.
struct AutoSyncState {
    int step = 0;    // 0 choose the slot, 1 wait for its packet, 2 step on, 3 round pause
    int counter = 0; // ticks spent in the present step
    int roundPause = kFastRoundPause;

    static constexpr int kFastRoundPause = 30;
    static constexpr int kSlowRoundPause = 600;
};

extern AutoSyncState AutoSync;

inline constexpr int kSyncReplyTicks = 120; // a unit silent this long is skipped
inline constexpr int kSyncStepTicks = 8;    // from one slot to the next
inline constexpr int kFastSyncTicks = 300;

// One tick of the walk (part of the display timer).
void TickAutoTimeSync();

// Callback of the main panel's Auto Time Sync switch.
void AutoTimeSync(ui::Event event);

void ResetAutoTimeSync();
void BindAutoTimeSync();

} // namespace undarix::live
