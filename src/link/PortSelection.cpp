#include "link/PortSelection.h"

#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/PanId.h"
#include "link/PortWatch.h"
#include "link/ReceivePath.h"
#include "link/SerialPort.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/Delay.h"
#include "ui/StatusMessage.h"
#include "ui/Timers.h"

namespace undarix::link {
namespace {

using namespace core;

int FillPortList(ui::Role selector) {
    ui::ClearList(selector);
    ui::InsertListItem(selector, "Select a serial port", 0);
    for (const PortDescription& port : ListSerialPorts())
        ui::InsertListItem(selector, port.label, port.number);
    return 0;
}

const char* const kPortHelp =
    "FOR THE RAVO ZERAR XB & REZAV IVIR ERAZUD XB:\n"
    "Select the serial port of the USB radio adapter (XStick or Digi Adapter). You can find it\n"
    "in the operating system's list of devices: it appears when the adapter is plugged in.\n"
    "Then switch Broadcast Power On to wake the units; powering up may take a few minutes.\n\n"
    "FOR THE RAVO ZERARS AND DEVE ZURAVIS:\n"
    "Select the serial port the unit was assigned when its cable was plugged in.";

// A wired unit or the board may have been stopped for its configuration: "g" sets it running
// again before the port lets go of it, as at exit. The port's speed tells which family it was
// opened for; when the unit kind changes, UnitType is already the new kind here.
void SendRunBeforeClosing(int port) {
    const int baud = ComBaudRate(port);
    if (baud == BaudRateFor(WiredRavoZerar402E) || baud == BaudRateFor(Vazavevezeze))
        ComWrtByte(port, 'g');
}

} // namespace

int GetComPortList() {
    return FillPortList(mainpanel::ComPortList);
}

int GetComPortOutPutList() {
    return FillPortList(mainpanel::OutputPortList);
}

void ComPort(ui::Event event) {
    if (event != ui::Event::Commit) return;
    CallHook(hooks.ClearAllDisplayLines);
    const int port = ui::GetInt(mainpanel::ComPortList);
    if (port == 0) return;
    // Opening the output stream's port again would close it under the stream, and the units'
    // commands would go out to whatever logs the stream.
    if (port == Program.OpenComPortOutPutNum) {
        ui::SetInt(mainpanel::ComPortList, 0);
        ui::ShowStatus(QString("%1 carries the output stream; choose another port for the units")
                           .arg(PortPathFor(port)));
        return;
    }

    const int unitType = Program.UnitType;
    const int status = OpenComConfig(port, BaudRateFor(unitType), 0, 8, 1, 4096, 0);
    const bool radio = IsRadioKind(unitType);
    ui::SetTimerEnabled(timer::DeviceDisplay, radio);
    ui::SetTimerEnabled(timer::Config, radio);
    ui::SetTimerEnabled(timer::WiredConnect, !radio);
    ui::SetTimerEnabled(timer::WiredConfig, !radio);
    if (!radio) Program.WSWLConnectStatus = 0;
    if (status < 0) {
        // Most often "permission denied": the user must be in the dialout group.
        ui::ShowStatus(QString("Could not open the port: %1").arg(LastComError()));
        return;
    }

    FlushOutQ(port);
    Program.OpenComPortNum = port;
    ui::SetDimmed(mainpanel::ComPortList, true);
    ui::SetVisible(mainpanel::ChangeComPortButton, true);
    ui::SetVisible(mainpanel::PortOpenLed, true);
    ui::SetInt(mainpanel::PortOpenLed, 1);
    ui::ShowStatus(
        QString("Port %1 open at %2 baud").arg(PortPathFor(port)).arg(BaudRateFor(unitType)));
    InstallComCallback(port, kRxCharEvent, ComCallback);
    StartPortWatch(port);
    Program.WSWLConnectTimer = 0;
    if (radio) GetLocalPANID();
}

void CloseUnitPort() {
    StopPortWatch();
    if (Program.OpenComPortNum != 0) {
        SendRunBeforeClosing(Program.OpenComPortNum);
        CloseCom(Program.OpenComPortNum);
    }
    ui::Delay(0.5); // lets the driver release the port before it is listed again
    Program.OpenComPortNum = 0;
    ui::SetDimmed(mainpanel::ComPortList, false);
    ui::SetVisible(mainpanel::ChangeComPortButton, false);
    ui::SetVisible(mainpanel::PortOpenLed, false);
    ui::SetText(configpage::ConnectionText, "Not Connected");
    ui::SetTextColor(configpage::ConnectionText, ui::kRed);
    ui::SetDimmed(mainpanel::LocalPanId, true);
    ui::DefaultCtrl(mainpanel::WiredIdentity);
    ui::DefaultCtrl(mainpanel::StaffLengthDisplay);
    ui::DefaultCtrl(mainpanel::AirTempLive);
    GetComPortList();
}

void ChangeComport(ui::Event event) {
    if (event != ui::Event::Commit) return;
    CloseUnitPort();
    ui::ShowStatus("Port closed");
}

void BindPortSelection() {
    ui::OnEvent(mainpanel::ComPortList, ComPort);
    ui::OnEvent(mainpanel::ChangeComPortButton, ChangeComport);
    ui::CreateTimer(timer::PortWatch, kPortWatchSeconds, PortWatchTimer);
    ui::SetHelp(mainpanel::ComPortList, "SELECT  SERIAL COM PORT", kPortHelp);
    ui::SetHelp(mainpanel::ChangeComPortButton, "CHANGE THE SERIAL COM PORT",
                QString(kPortHelp).replace("(XStick or Digi Adapter)", "(the Digi Adapter)"));
}

} // namespace undarix::link
