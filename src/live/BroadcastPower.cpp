#include "live/BroadcastPower.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/ApiTransmit.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <cstdio>

namespace undarix::live {
using namespace core;
namespace {

constexpr const char* kBroadcastPowerHelp =
    "Sends a power command to every XB unit of the network at once.\n\n"
    "On: \"power on\" goes out every 15 seconds, 14 times (3.5 minutes), so that units\n"
    "that wake up only now and then hear it. After that, as long as no unit is heard,\n"
    "75 seconds of silence and 4 more commands 15 seconds apart follow in turn; as soon\n"
    "as packets arrive it stays silent.\n"
    "Off: \"power off\" goes out 14 times, 15 seconds apart; then the switch returns to\n"
    "Done.\n"
    "Done: nothing is sent.\n\n"
    "A broadcast power-on wakes every unit and resets it to sampling at once:\n"
    "continuous sampling (burst length 0) and the start time switched off.";

// The text is built here, not in TxStr: a broadcast expects no reply and must not replace
// the configuration session's outstanding command.
void SendBroadcast(int switchValue) {
    char message[16];
    const int length = std::snprintf(message, sizeof message, "BP,%i\r\n", switchValue);
    if (length > 0) link::ComWrtAPIFrameText(kBroadcastAddress, message, length);
}

void Decide() {
    const int position = ui::GetInt(mainpanel::BroadcastPowerRing);
    if (position == kBroadcastDone) {
        Program.BroadcastTimeOut = 0;
        return;
    }
    ui::SetVisible(mainpanel::SyncIndicator, false);
    if (Program.BroadcastTimeOut < kBroadcastSends) {
        ++Program.BroadcastTimeOut;
        ui::SetVisible(mainpanel::BroadcastIndicator, true);
        SendBroadcast(position);
        return;
    }
    if (position == kBroadcastOff) {
        ui::SetInt(mainpanel::BroadcastPowerRing, kBroadcastDone);
        return;
    }
    if (++Program.BroadcastTimeOut > kBroadcastCycleTop)
        Program.BroadcastTimeOut = kBroadcastBurstStart;
}

} // namespace

void TickBroadcastPower() {
    ui::SetVisible(mainpanel::BroadcastIndicator, false);
    if (++Program.BroadcastPwrTimmer < kBroadcastDecisionTicks) return;
    Program.BroadcastPwrTimmer = 0;
    Decide();
}

void BroadcastPowerCtr(ui::Event event) {
    if (event != ui::Event::Commit) return;
    Program.BroadcastTimeOut =
        ui::GetInt(mainpanel::BroadcastPowerRing) != kBroadcastDone ? 0 : kBroadcastEnded;
}

void BindBroadcastPower() {
    ui::OnEvent(mainpanel::BroadcastPowerRing, BroadcastPowerCtr);
    ui::SetHelp(mainpanel::BroadcastPowerRing, "BROADCAST POWER", kBroadcastPowerHelp);
}

} // namespace undarix::live
