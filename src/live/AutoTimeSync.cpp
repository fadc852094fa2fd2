#include "live/AutoTimeSync.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "live/DeviceTable.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

namespace undarix::live {
using namespace core;

AutoSyncState AutoSync;

namespace {

// The manual clock controls of the configuration page: they would fight the automatic sync.
constexpr ui::Role kManualClockControls[] = {
    configpage::SetClockButton,     configpage::ReadClockButton,       configpage::SyncClockButton,
    configpage::CompareClockButton, configpage::ClockCalibrationField,
};

constexpr const char* kAutoTimeSyncHelp =
    "With Auto Time Sync on, the program sets the real-time clock of every radio unit\n"
    "in the table from the PC clock, one unit after the other, each time the unit sends\n"
    "a packet. The clocks of the units are then typically within 0.01 s of the PC clock.\n\n"
    "After a cold start of several units it takes several minutes until all of them\n"
    "have been synchronised.\n\n"
    "With Auto Time Sync off, the clocks are not touched; set them by hand on the\n"
    "Configuration page (Set, Read, Sync and Compare of the clock, and its calibration).";

void ChooseSlot(AutoSyncState& sync) {
    const bool occupied = OutputLine[Program.AutoSyncLoc % kTableSlots].address != 0;
    Program.AutoWaitSync = occupied ? 1 : 0;
    if (occupied) ui::SetVisible(mainpanel::SyncIndicator, true);
    sync.counter = 0;
    sync.step = 1;
}

void AwaitPacket(AutoSyncState& sync) {
    if (sync.counter < kSyncReplyTicks && Program.AutoWaitSync == 1) return;
    sync.counter = 0;
    sync.step = 2;
    ui::SetVisible(mainpanel::SyncIndicator, false);
}

void StepOn(AutoSyncState& sync) {
    if (sync.counter < kSyncStepTicks) return;
    ++Program.AutoSyncLoc;
    if (Program.AutoSyncLoc >= kTableSlots) {
        Program.AutoSyncLoc = 0;
        sync.step = 3;
    } else {
        sync.step = 0;
    }
    sync.counter = 0;
}

void PauseRound(AutoSyncState& sync) {
    if (sync.counter < sync.roundPause) return;
    sync.counter = 0;
    sync.step = 0;
}

} // namespace

void TickAutoTimeSync() {
    AutoSyncState& sync = AutoSync;
    if (Program.EnaAutoSync != 1) {
        sync.counter = 0;
        sync.step = 0;
        Program.AutoWaitSync = 0;
        return;
    }
    switch (sync.step) {
    case 0: ChooseSlot(sync); break;
    case 1: AwaitPacket(sync); break;
    case 2: StepOn(sync); break;
    case 3: PauseRound(sync); break;
    default: sync.step = 0; break;
    }
    ++sync.counter;
    if (Program.FastSyncSecTimeout != 0) {
        --Program.FastSyncSecTimeout;
        sync.roundPause = AutoSyncState::kFastRoundPause;
    } else {
        sync.roundPause = AutoSyncState::kSlowRoundPause;
    }
}

void AutoTimeSync(ui::Event event) {
    if (event != ui::Event::Commit) return;
    Program.EnaAutoSync = ui::GetInt(mainpanel::AutoTimeSyncSwitch);
    Program.FastSyncSecTimeout = kFastSyncTicks;
    const bool on = Program.EnaAutoSync != 0;
    // Off gives the clock back to the user, but only while a unit is chosen to configure.
    if (!on && ui::GetInt(configpage::DeviceNumberSelector) == 0) return;
    for (ui::Role role : kManualClockControls)
        ui::SetDimmed(role, on);
}

void ResetAutoTimeSync() {
    AutoSync = AutoSyncState{};
}

void BindAutoTimeSync() {
    ui::OnEvent(mainpanel::AutoTimeSyncSwitch, AutoTimeSync);
    ui::SetHelp(mainpanel::AutoTimeSyncSwitch, "AUTO TIME SYNC", kAutoTimeSyncHelp);
}

} // namespace undarix::live
