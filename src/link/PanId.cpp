#include "link/PanId.h"

#include "core/EditHint.h"
#include "core/FrameBuffers.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/ApiTransmit.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/Delay.h"
#include "ui/Popups.h"

#include <cstring>

namespace undarix::link {

PanIdState PanId;

void ResetPanId() {
    PanId = PanIdState{};
}

namespace {

using core::Program;
namespace mainpanel = core::mainpanel;
namespace configpage = core::configpage;

constexpr int kNoRoute = 0;
constexpr int kLocal = 1;
constexpr int kRemote = 2;
constexpr int kValueResponseCount = 11; // letters, status and an 8-byte value
constexpr double kRequestWait = 0.1;

const char* const kLocalExplanation =
    "The Personal Area Network or PAN ID is a unique identifier for your\n"
    "XB devives's network.  All devices must have the same PAN ID to\n"
    "communicate to each other.  If you change the Local Adapter's PAN ID\n"
    "you will need to first change the XB devives's PAN ID to connect\n"
    "with the new Local Adapter's PAN ID. The new Local Adapter's\n"
    "PAN ID will remain through power cycles.";
const char* const kLocalQuestion =
    "\n\nAre you sure you want to change the Local Adapter's PAN ID?";

const char* const kRemoteExplanation =
    "The Personal Area Network or PAN ID is a unique identifier for your\n"
    "XB device network.  All devices must have the same PAN ID to\n"
    "communicate to each other.  If you change a XB devives's PAN ID\n"
    "you will need to change the Local PAN ID Adapter to the same PAN ID to\n"
    "connect to the changed unit.";
const char* const kRemoteQuestion =
    "\n\nAre you sure you want to change the Remote XB device's PAN ID?\n\n"
    "Note: A power cycle will return the PAN ID to the previous value.\n"
    "To keep the new value through power cycles you must reconnect with the\n"
    "new Local PAN ID and press the Save Remote PAN ID button.";
const char* const kRemoteHelpNote =
    "\n\nThe new PAN ID lasts until the unit's next power cycle, which returns the\n"
    "previous value, unless it is saved with the Save Remote PAN ID button after\n"
    "reconnecting with the new Local PAN ID.";
const char* const kSaveHelp =
    "Makes the XB unit keep its present PAN ID through power cycles.\n"
    "After changing a unit's PAN ID, change the Local Adapter's PAN ID to the\n"
    "same value, reconnect to the unit, and then press this button.";

// Letters, then for a set command the 8 value bytes, most significant first.
int PutRequest(const char letters[2], const std::uint64_t* value) {
    std::memset(Program.TxStr, 0, sizeof Program.TxStr);
    Program.TxStr[0] = letters[0];
    Program.TxStr[1] = letters[1];
    if (!value) return 2;
    for (int i = 0; i < 8; ++i)
        Program.TxStr[2 + i] = char(*value >> (8 * (7 - i)));
    return 10;
}

void SendRequest(int route, const char letters[2], const std::uint64_t* value = nullptr) {
    ui::Delay(kRequestWait);
    const int n = PutRequest(letters, value);
    if (route == kLocal)
        ComWrtATCommand(n);
    else
        ComWrtRemoteATCommand(Program.ConfigDeviceAddr, n);
    PanId.pendingRoute = route;
    PanId.pendingLength = n;
    Program.TxWait = 1;
}

bool Is(const char* letters) {
    return core::RxChars[0] == letters[0] && core::RxChars[1] == letters[1];
}
int Status() {
    return std::uint8_t(core::RxChars[2]);
}
std::uint64_t Value() {
    std::uint64_t value = 0;
    for (int i = 3; i < kValueResponseCount; ++i)
        value = value << 8 | std::uint8_t(core::RxChars[i]);
    return value;
}

// The answer to the request TxStr held has come.
void Answered() {
    Program.TxWait = 0;
    PanId.pendingRoute = kNoRoute;
}

void EditMarking(ui::Event event) {
    if (event == ui::Event::KeyPress)
        core::ShowEditHint(core::kEnterSendsPanId);
    else if (event == ui::Event::LostFocus)
        ui::SetVisible(mainpanel::EditHint, false);
}

} // namespace

void GetLocalPANID() {
    SendRequest(kLocal, "ID");
}

void SaveLocalPANID() {
    SendRequest(kLocal, "WR");
}

void GetRemotePANID() {
    SendRequest(kRemote, "ID");
}

void Xstick_PAN_ID(ui::Event event) {
    if (event != ui::Event::Commit) return EditMarking(event);
    if (ui::ConfirmPopup("CHANGE THE LOCAL ADAPTER PAN ID?",
                         QString(kLocalExplanation) + kLocalQuestion)) {
        const std::uint64_t value = ui::GetU64(mainpanel::LocalPanId);
        ui::SetDimmed(mainpanel::LocalPanId, true);
        SendRequest(kLocal, "ID", &value);
    } else {
        ui::SetU64(mainpanel::LocalPanId, Program.LastLocalXstickPANID);
    }
    ui::SetVisible(mainpanel::EditHint, false);
}

void RavoZerarXB_PAN_ID(ui::Event event) {
    if (event != ui::Event::Commit) return EditMarking(event);
    if (ui::ConfirmPopup("CHANGE THE REMOTE XB unit's PAN ID?",
                         QString(kRemoteExplanation) + kRemoteQuestion)) {
        const std::uint64_t value = ui::GetU64(configpage::RemotePanIdField);
        // Blue until the unit keeps the new value for good.
        ui::SetTextColor(configpage::RemotePanIdField, ui::kBlue);
        ui::SetTextColor(configpage::SaveRemotePanIdButton, ui::kBlue);
        ui::SetDimmed(configpage::SaveRemotePanIdButton, true);
        SendRequest(kRemote, "ID", &value);
    } else {
        ui::SetU64(configpage::RemotePanIdField, Program.LastRemoteRavoZerarXBPANID);
    }
    ui::SetVisible(mainpanel::EditHint, false);
}

void SaveRemotePANID(ui::Event event) {
    if (event != ui::Event::Commit) return;
    SendRequest(kRemote, "WR");
    ui::SetDimmed(configpage::SaveRemotePanIdButton, true);
}

void RxATCommandResponce(int count) {
    if (count < 3) return;
    if (Is("ID")) {
        Answered();
        if (Status() != 0) {
            ui::SetU64(mainpanel::LocalPanId, PanId.currentLocal);
            ui::SetDimmed(mainpanel::LocalPanId, false);
            return;
        }
        ui::SetDimmed(mainpanel::LocalPanId, false);
        if (count != kValueResponseCount) {
            SaveLocalPANID(); // a new ID was set: keep it through power cycles
            return;
        }
        PanId.currentLocal = Value();
        Program.LastLocalXstickPANID = PanId.currentLocal;
        ui::SetU64(mainpanel::LocalPanId, PanId.currentLocal);
    } else if (Is("WR")) {
        Answered();
        if (Status() != 0)
            ui::SetU64(mainpanel::LocalPanId, PanId.currentLocal);
        else
            PanId.currentLocal = ui::GetU64(mainpanel::LocalPanId);
    }
}

void RxRemoteATCommandResponce(int count) {
    if (count < 3) return;
    if (Is("ID")) {
        Answered();
        if (Status() != 0) {
            ui::SetU64(configpage::RemotePanIdField, PanId.currentRemote);
            ui::SetDimmed(configpage::RemotePanIdField, false);
            return;
        }
        ui::SetDimmed(configpage::RemotePanIdField, false);
        if (count != kValueResponseCount) return; // set: lasts until the unit's power cycle
        PanId.currentRemote = Value();
        Program.LastRemoteRavoZerarXBPANID = PanId.currentRemote;
        ui::SetU64(configpage::RemotePanIdField, PanId.currentRemote);
        ui::SetTextColor(configpage::RemotePanIdField, ui::kBlack);
        ui::SetDimmed(configpage::SaveRemotePanIdButton, false);
    } else if (Is("WR")) {
        Answered();
        if (Status() != 0) {
            ui::SetU64(configpage::RemotePanIdField, PanId.currentRemote);
            return;
        }
        ui::SetDimmed(configpage::RemotePanIdField, false);
        ui::SetDimmed(configpage::SaveRemotePanIdButton, false);
        ui::SetTextColor(configpage::RemotePanIdField, ui::kBlack);
        ui::SetTextColor(configpage::SaveRemotePanIdButton, ui::kBlack);
        ui::MessagePopup("OK, REMOTE PAN ID SAVED!",
                         "Saved! Now the XB unit's PAN ID will remain through power cycles.");
    }
}

bool ResendPanIdRequest() {
    if (PanId.pendingRoute == kLocal)
        ComWrtATCommand(PanId.pendingLength);
    else if (PanId.pendingRoute == kRemote)
        ComWrtRemoteATCommand(Program.ConfigDeviceAddr, PanId.pendingLength);
    else
        return false;
    return true;
}

void ForgetPanIdRequest() {
    PanId.pendingRoute = kNoRoute;
}

bool PanIdRequestPending() {
    return PanId.pendingRoute != kNoRoute;
}

void GetLocalPANIDWhenFree() {
    // TxStr holds a unit command awaiting its answer: asking now would take its place, and
    // the command would never be sent again.
    if (Program.TxWait != 0 && !PanIdRequestPending()) {
        PanId.localReadDeferred = true;
        return;
    }
    GetLocalPANID();
}

void AskDeferredLocalPANID() {
    if (!PanId.localReadDeferred || Program.TxWait != 0) return;
    PanId.localReadDeferred = false;
    GetLocalPANID();
}

void BindPanId() {
    ui::OnEvent(mainpanel::LocalPanId, Xstick_PAN_ID);
    ui::OnEvent(configpage::RemotePanIdField, RavoZerarXB_PAN_ID);
    ui::OnEvent(configpage::SaveRemotePanIdButton, SaveRemotePANID);
    ui::SetHelp(mainpanel::LocalPanId, "CHANGE THE LOCAL XSTICK PAN ID?", kLocalExplanation);
    ui::SetHelp(configpage::RemotePanIdField, "CHANGE THE REMOTE XB Unit's PAN ID?",
                QString(kRemoteExplanation) + kRemoteHelpNote);
    ui::SetHelp(configpage::SaveRemotePanIdButton, "SAVE THE REMOTE XB DEVICE PAN ID?", kSaveHelp);
}

} // namespace undarix::link
