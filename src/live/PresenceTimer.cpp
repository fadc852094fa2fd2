#include "live/PresenceTimer.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "live/AutoTimeSync.h"
#include "live/BroadcastPower.h"
#include "live/DeviceTable.h"
#include "live/OutputStream.h"
#include "ui/Timers.h"

namespace undarix::live {
using namespace core;
namespace {

constexpr int kSingleSampleLimit = 6;
constexpr int kIntegerBlockTicks = 256;
constexpr int kOtherBlockTicks = 128;
constexpr int kSilenceMargin = 10;

void FreeRecord(OutputLineRecord& record) {
    if (record.address == Program.ConfigDeviceAddr) Program.ClearConfig = 1;
    KeepZeroOf(record); // a unit out of reach for a while comes back with its reference
    record.address = 0;
    record.deviceNumber = 0;
    record.silenceTicks = 0;
    ClearAllDisplayLines();
    SortAllDisplayNum();
    DisplayAllOutputLines();
}

} // namespace

int SilenceLimit(char packetKind, int sampleRate) {
    if (packetKind == 'C') return kSingleSampleLimit;
    if (sampleRate <= 0) sampleRate = 1;
    return (packetKind == 'I' ? kIntegerBlockTicks : kOtherBlockTicks) / sampleRate +
           kSilenceMargin;
}

void TickPresence() {
    for (OutputLineRecord& record : OutputLine) {
        if (record.sampleRate == 0 || record.address == 0) continue;
        ++record.silenceTicks;
        if (record.silenceTicks >= SilenceLimit(record.packetKind, record.sampleRate))
            FreeRecord(record);
    }
}

void DeviceDisplayTimer() {
    // While a file plays, its units are let go as they fall silent, and so are the port's
    // units in their own table; the clocks kept in step are always those of the port's units.
    if (LiveTableSetAside()) TickPresence();
    WithLiveTable([] {
        TickPresence();
        TickBroadcastPower();
        TickAutoTimeSync();
    });
    TickOutputPortWatch();
}

void BindPresenceAndSync() {
    ui::CreateTimer(timer::DeviceDisplay, 1.0, DeviceDisplayTimer);
    BindBroadcastPower();
    BindAutoTimeSync();
}

void ResetPresenceAndSync() {
    ResetAutoTimeSync();
}

} // namespace undarix::live
