#include "live/OutputStream.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/PortSelection.h"
#include "link/SerialPort.h"
#include "live/ZeroDisplay.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/Delay.h"
#include "ui/StatusMessage.h"

namespace undarix::live {
using namespace core;
namespace {

const char* const kOutputHelp =
    "Select a serial port to stream the data of the connected units to another\ncomputer or "
    "logger at 115200 baud, no parity, 8 data bits, 1 stop bit.\nThe data are the same "
    "fixed-length text lines as those of the data file\n(see Help / Saving Output Data), "
    "whether or not a data file is being saved.\nPress Stop (or deselect the port) to end the "
    "stream.";

void UndoSelection(const QString& why) {
    ui::SetInt(mainpanel::OutputPortList, 0);
    ui::ShowStatus(why);
}

// The output port is watched as the unit port is: a lost port is said, tried again every few
// seconds, and said again when it is back; the lines of the gap are not streamed.
constexpr int kWatchTicks = 3; // display-timer ticks (seconds) between two tries
int ticksToNextTry = 0;

void OutputPortLost(int port) {
    if (port != Program.OpenComPortOutPutNum) return;
    ticksToNextTry = kWatchTicks;
    ui::ShowStatus(QString("The output stream's port %1 was lost (%2): no lines are streamed "
                           "until it is back; it is tried again every %3 s")
                       .arg(link::PortPathFor(port), link::ComLossReason(port))
                       .arg(kWatchTicks));
}

} // namespace

void ComPortOutput(ui::Event event) {
    if (event != ui::Event::Commit) return;
    const int port = ui::GetInt(mainpanel::OutputPortList);
    if (port == 0 || port == Program.OpenComPortOutPutNum) return;
    // Opening the unit's own port again would close it under the units.
    if (port == Program.OpenComPortNum) {
        UndoSelection(QString("%1 is the unit port; choose another port for the output stream")
                          .arg(link::PortPathFor(port)));
        return;
    }
    if (link::OpenComConfig(port, kOutputBaudRate, 0, 8, 1, 4096, 0) < 0) {
        UndoSelection(QString("Could not open the output port: %1").arg(link::LastComError()));
        return;
    }
    link::FlushOutQ(port);
    Program.OpenComPortOutPutNum = port;
    ui::SetDimmed(mainpanel::OutputPortList, true);
    ui::SetVisible(mainpanel::StopOutputPortButton, true);
    link::InstallComCallback(port, link::kRxCharEvent, ComOutPutCallback);
    link::InstallLossCallback(port, OutputPortLost);
    ui::ShowStatus(QString("Output stream on %1 at %2 baud")
                       .arg(link::PortPathFor(port))
                       .arg(kOutputBaudRate));
}

void ChangeComportOutput(ui::Event event) {
    if (event != ui::Event::Commit) return;
    if (Program.OpenComPortOutPutNum != 0) link::CloseCom(Program.OpenComPortOutPutNum);
    ui::Delay(0.5); // lets the driver release the port before it is listed again
    Program.OpenComPortOutPutNum = 0;
    ui::SetDimmed(mainpanel::OutputPortList, false);
    ui::SetVisible(mainpanel::StopOutputPortButton, false);
    link::GetComPortOutPutList();
    ui::ShowStatus("Output stream stopped");
}

void ComOutPutCallback(int port, int eventMask) {
    // Whatever the other end sends is read and dropped, so it cannot pile up.
    if (!(eventMask & link::kRxCharEvent)) return;
    while (link::GetInQLen(port) > 0)
        (void)link::ComRdByte(port);
}

void TickOutputPortWatch() {
    const int port = Program.OpenComPortOutPutNum;
    if (port == 0) return;
    if (!link::IsComLost(port)) {
        (void)link::CheckComPresent(port); // a vanished device is said by the loss callback
        return;
    }
    if (--ticksToNextTry > 0) return;
    ticksToNextTry = kWatchTicks;
    if (link::ReopenCom(port) != 0) return;
    link::FlushOutQ(port);
    ui::ShowStatus(QString("The output stream's port %1 is back; lines are streamed again")
                       .arg(link::PortPathFor(port)));
}

void BindOutputStream() {
    ui::OnEvent(mainpanel::OutputPortList, ComPortOutput);
    ui::OnEvent(mainpanel::StopOutputPortButton, ChangeComportOutput);
    ui::SetHelp(mainpanel::OutputPortList, "OUTPUT TO COM PORT", kOutputHelp);
    ui::SetHelp(mainpanel::StopOutputPortButton, "OUTPUT TO COM PORT", kOutputHelp);
    BindZeroDisplay();
}

} // namespace undarix::live
