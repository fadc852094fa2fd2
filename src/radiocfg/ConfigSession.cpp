#include "radiocfg/ConfigSession.h"

#include "core/ConfigPageRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/ApiTransmit.h"
#include "link/PanId.h"
#include "radiocfg/PageOperations.h"
#include "radiocfg/RadioConfigState.h"
#include "radiocfg/UnitCommandSender.h"
#include "radiocfg/codec/ReadSequence.h"
#include "ui/Controls.h"
#include "ui/Delay.h"

namespace undarix::radiocfg {
namespace {

using namespace core::configpage;
using core::Program;

constexpr int kNoUnit = 0;
constexpr int kUnitChosen = 1;
constexpr int kReading = 2;
constexpr int kIdle = 3;
constexpr int kRedraw = 255;
constexpr double kReadWait = 0.01;
constexpr int kFastSyncTicks = 300;

void EndSession() {
    Program.ConfigStatus = kNoUnit;
    Program.LastConfigStatus = kRedraw;
    Program.ConfigDeviceAddr = 0;
}

// Drawn once on entering state 0.
void ShowNotConnected() {
    if (Program.LastConfigStatus == Program.ConfigStatus) return;
    ui::SetText(ConnectionText, "Not Connected");
    ui::SetTextColor(ConnectionText, ui::kRed);
    ui::SetVisible(ConnectedIndicator, false);
    DimAllConfig();
    DefaultAllConfig();
    ui::SetInt(DeviceNumberSelector, 0);
    Program.LastConfigStatus = kNoUnit;
}

void StartSession() {
    ui::SetDimmed(NetworkAddressField, false);
    ui::SetU64(NetworkAddressField, Program.ConfigDeviceAddr);
    Program.ConfigTimeCounter = 0;
    Program.TxRetries = 0;
    Program.ConfigStatus = kReading;
    ReadAllConfigInfo(1);
    Program.FastSyncSecTimeout = kFastSyncTicks;
    RadioConfig.PanIdReadPending = 1;
}

void ReadNext() {
    if (Program.TxWait == 0) {
        ReadAllConfigInfo(0);
        Program.TxRetries = 0;
        Program.ConfigTimeCounter = 0;
        return;
    }
    if (Program.ConfigTimeCounter <= kReadReplyTicks) return;
    if (Program.TxRetries < kReadResends) {
        ReadAllConfigInfo(-1);
        Program.ConfigTimeCounter = 0;
        Program.TxRetries += 1;
    } else {
        EndSession(); // the seventh overdue reply
    }
}

void StayConnected() {
    if (Program.TxWait != 0 && Program.ConfigTimeCounter > kWriteReplyTicks) {
        if (Program.TxRetries < kWriteResends) {
            ResendTxStr();
            Program.ConfigTimeCounter = 0;
            Program.TxRetries += 1;
        } else {
            // Given up without a message: the control stays dimmed.
            Program.TxWait = 0;
            Program.TxRetries = 0;
            Program.ConfigTimeCounter = 0;
        }
    }
    if (RadioConfig.PanIdReadPending && Program.TxWait == 0 &&
        Program.UnitType != core::RezavIvirErazudRV) {
        link::GetRemotePANID();
        RadioConfig.PanIdReadPending = 0;
    }
    if (Program.TxWait == 0) Program.ConfigTimeCounter = 0;
}

// After the last command of the kind's sequence the session is idle, that command still
// awaiting its reply.
void EndOfSequence(int kind) {
    const int last = codec::ReadSequenceLength(kind, Program.Version12CalPts);
    if (last == 0 || Program.ConfigType < last) return;
    Program.ConfigStatus = kIdle;
    Program.ConfigType = last;
    if (kind != core::RavoZerarXB) {
        Program.ConfigTimeCounter = 0;
        Program.TxRetries += 1;
    }
}

} // namespace

void ReadAllConfigInfo(int mode) {
    if (mode == 1)
        Program.ConfigType = 1;
    else if (mode == 0)
        Program.ConfigType += 1;
    const int kind = Program.UnitType;
    if (!core::IsRadioKind(kind)) return;
    const codec::CommandLine line = codec::ReadSequenceCommand(
        kind, Program.ConfigType, Program.Version12CalPts, Program.ConfigCurrentMode);
    Program.TxWait = 1;
    ui::Delay(kReadWait);
    SendUnitCommand(line);
    EndOfSequence(kind);
}

void ConfigTimer() {
    if (Program.ClearConfig) {
        EndSession();
        Program.ClearConfig = 0;
    }
    Program.ConfigTimeCounter += 1;
    link::AskDeferredLocalPANID(); // after a reconnect, once the command under way is answered
    switch (Program.ConfigStatus) {
    case kNoUnit: ShowNotConnected(); break;
    case kUnitChosen: StartSession(); break;
    case kReading: ReadNext(); break;
    case kIdle: StayConnected(); break;
    default: break;
    }
}

} // namespace undarix::radiocfg
