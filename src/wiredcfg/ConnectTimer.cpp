#include "wiredcfg/ConnectTimer.h"

#include "core/ConfigPageRoles.h"
#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/SerialPort.h"
#include "live/DeviceTable.h"
#include "ui/Controls.h"
#include "ui/Delay.h"

namespace undarix::wiredcfg {
namespace {

using core::Program;
using core::mainpanel::ConnectionText;

// Ticks a reply may take before the hand-shake starts over.
constexpr int kReplyTicks = 3;
constexpr int kStartReplyTicks = 2;
// A running unit that sends nothing for more than this many ticks is lost: 2.0 to 2.5 s after
// its last byte, depending on the phase of the ticks. A 1 Hz unit's lines may come 1.5 s apart
// when the serial driver and the USB adapter deliver them late and early; a count of 2
// (1.0 to 1.5 s) dropped such a unit between two of its lines.
constexpr int kSilentTicks = 4;
// The board: its clock line, and its data lines.
constexpr int kBoardClockTicks = 4;
constexpr int kBoardSilentTicks = 6;

// A lost port is left to the port's watch, which starts the hand-shake afresh once the port
// is back; until then nothing is sent into the void.
bool PortUsable() {
    return Program.OpenComPortNum != 0 && !link::IsComLost(Program.OpenComPortNum);
}

void Send(char command) {
    link::ComWrtByte(Program.OpenComPortNum, command);
}

// The configuration page says the same as the main panel: in Run mode nothing else speaks for
// the connection there (in configuration mode the page's own cycle does).
void ShowConnected() {
    ui::SetText(ConnectionText, "Connected");
    ui::SetTextColor(ConnectionText, ui::kGreen);
    if (Program.WSWLConfigMode) return;
    ui::SetText(core::configpage::ConnectionText, "Connected");
    ui::SetTextColor(core::configpage::ConnectionText, ui::kGreen);
}

void ShowLost() {
    ui::SetText(ConnectionText, "Not Connected");
    ui::SetTextColor(ConnectionText, ui::kRed);
    ui::SetText(core::configpage::ConnectionText, "Not Connected");
    ui::SetTextColor(core::configpage::ConnectionText, ui::kRed);
    live::ClearAllOutputLinesKeepingZero(); // the same unit comes back with the hand-shake
    core::CallHook(core::hooks.ChartReset);
}

// Sends a command and moves to the state that waits for its reply.
void SendAndWait(char command, int nextStatus) {
    Send(command);
    Program.WSWLConnectStatus = nextStatus;
    Program.WSWLConnectTimer = 0;
}

void GiveUpAfter(int ticks) {
    if (Program.WSWLConnectTimer > ticks) Program.WSWLConnectStatus = 0;
}

void WiredUnitStep() {
    switch (Program.WSWLConnectStatus) {
    case 0:
        if (!PortUsable()) return;
        Program.ClearConfig = 1; // the configuration page starts over with the hand-shake
        Send('s');
        SendAndWait('t', 1);
        return;
    case 1:
    case 3:
    case 5: return GiveUpAfter(kReplyTicks);
    case 2: return SendAndWait('i', 3);
    case 4: return SendAndWait('r', 5);
    case 6:
        // In configure mode the unit stays stopped while its configuration is shown.
        if (!Program.WSWLConfigMode) SendAndWait('g', 7);
        return;
    case 7: return GiveUpAfter(kStartReplyTicks);
    case 8:
        ShowConnected();
        if (Program.WSWLConnectTimer > kSilentTicks || Program.WSWLReConnectFlag ||
            Program.WSWLConfigMode) {
            Program.WSWLReConnectFlag = 0;
            Program.WSWLConnectStatus = 0;
            ShowLost();
        }
        return;
    default: return;
    }
}

// Carriage return and line feed wake the board, "g" and "st" ask for its status report.
void WakeBoard() {
    const int port = Program.OpenComPortNum;
    ui::Delay(0.2);
    link::FlushOutQ(port);
    ui::Delay(0.2);
    Send('\r');
    ui::Delay(0.1);
    Send('\n');
    ui::Delay(0.2);
    Send('g');
    ui::Delay(0.5);
    link::ComWrt(port, "st", 2);
}

void BoardStep() {
    const int port = Program.OpenComPortNum;
    switch (Program.WSWLConnectStatus) {
    case 0:
        if (!PortUsable()) return;
        WakeBoard();
        Program.WSWLConnectStatus = 1;
        Program.WSWLConnectTimer = 0;
        return;
    case 1: return GiveUpAfter(kReplyTicks);
    case 2:
        ui::Delay(0.4);
        link::FlushOutQ(port);
        ui::Delay(0.1);
        return SendAndWait('r', 3);
    case 3:
        if (Program.WSWLConnectTimer > kBoardClockTicks) {
            Program.WSWLConnectStatus = 0;
            Program.WSWLConnectTimer = 0;
        }
        return;
    case 4:
        if (Program.WSWLConfigMode) return;
        ui::Delay(0.4);
        link::FlushOutQ(port);
        Send('g');
        Program.WSWLConnectStatus = 5; // the data lines keep the tick count at 0 from here
        return;
    case 5:
        ShowConnected();
        if (Program.WSWLConnectTimer > kBoardSilentTicks || Program.WSWLConfigMode) {
            ShowLost();
            ui::DefaultCtrl(core::mainpanel::WiredIdentity);
            Program.WSWLConnectStatus = 0;
            Program.WSWLConnectTimer = 0;
        }
        return;
    default: Program.WSWLConnectStatus = 0; return;
    }
}

} // namespace

void WSWLDeviceConnectTimer() {
    ++Program.WSWLConnectTimer;
    if (core::IsWiredKind(Program.UnitType))
        WiredUnitStep();
    else if (core::IsBoard(Program.UnitType))
        BoardStep();
}

} // namespace undarix::wiredcfg
