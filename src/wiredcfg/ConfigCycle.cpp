#include "wiredcfg/ConfigCycle.h"

#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "ui/Controls.h"
#include "wiredcfg/ConfigDisplay.h"

namespace undarix::wiredcfg {
namespace {

using core::Program;

constexpr int kWiredBlockTicks = 50;
constexpr int kBoardReportTicks = 30;
constexpr int kRedraw = 255;

// ConfigStatus, wired use.
enum PageStatus : int { kPageToClear = 0, kPageWaiting = 1, kPageShown = 2 };

void ClearPage() {
    ShowPageNotConnected();
    DimAndDefaultPage();
    Program.LastConfigStatus = 0;
    Program.ConfigStatus = kPageWaiting;
    Program.ConfigTimeCounter = 0;
}

// `readStatus` is the hand-shake state in which the unit's configuration has been read.
void PageStep(int readStatus, int tickLimit) {
    switch (Program.ConfigStatus) {
    case kPageToClear:
        // The board is read afresh each time its page is cleared (a setting command asks so).
        if (core::IsBoard(Program.UnitType)) Program.WSWLConnectStatus = 0;
        ClearPage();
        return;
    case kPageWaiting:
        if (Program.OpenComPortNum != 0 && Program.WSWLConnectStatus == readStatus) {
            SetWSWLConfigDisplay();
            Program.ConfigStatus = kPageShown;
        } else if (Program.ConfigTimeCounter >= tickLimit) {
            Program.ConfigStatus = kPageToClear;
            Program.WSWLReConnectFlag = 1;
        }
        return;
    default: return;
    }
}

} // namespace

void ShowPageNotConnected() {
    ui::SetText(core::configpage::ConnectionText, "Not Connected");
    ui::SetTextColor(core::configpage::ConnectionText, ui::kRed);
    ui::SetVisible(core::configpage::ConnectedIndicator, false);
}

void DimAndDefaultPage() {
    core::CallHook(core::hooks.DimAllConfig);
    core::CallHook(core::hooks.DefaultAllConfig);
}

void WLWSConfigTimer() {
    if (!Program.WSWLConfigMode) return;
    if (Program.ClearConfig) {
        Program.ConfigStatus = kPageToClear;
        Program.LastConfigStatus = kRedraw;
        Program.ConfigDeviceAddr = 0;
        Program.ClearConfig = 0;
    }
    ++Program.ConfigTimeCounter;
    // The timer runs only for the wired kinds and the board; a radio kind never reaches here
    // with its port open, and is left alone.
    if (core::IsWiredKind(Program.UnitType))
        PageStep(6, kWiredBlockTicks);
    else if (core::IsBoard(Program.UnitType))
        PageStep(4, kBoardReportTicks);
}

void WSWLConfigRunSelect(ui::Event event) {
    if (event != ui::Event::Commit) return;
    Program.WSWLConfigMode = ui::GetInt(core::configpage::ConfigureRunSwitch) ? 1 : 0;
    // Configure: the two timers stop the unit and read it. Run: the page is cleared at once
    // and the connection timer sets the unit running.
    if (Program.WSWLConfigMode) return;
    ShowPageNotConnected();
    DimAndDefaultPage();
    Program.LastConfigStatus = kRedraw;
    Program.ConfigStatus = kPageToClear;
}

} // namespace undarix::wiredcfg
