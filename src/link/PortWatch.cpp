#include "link/PortWatch.h"

#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/PanId.h"
#include "link/ReceivePath.h"
#include "link/SerialPort.h"
#include "ui/Clock.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"
#include "ui/Timers.h"
#include "ui/ToolTip.h"

namespace undarix::link {

PortWatchState UnitPortWatch;

namespace {

using core::Program;
namespace mainpanel = core::mainpanel;

QString TimeText(const QDateTime& time) {
    return time.toString("HH:mm:ss");
}

// What opening the port does for the unit kind, done again for the port that came back.
void RedoOpeningSteps(int port) {
    FlushOutQ(port);
    RestartReceiveAfterGap();
    if (core::IsRadioKind(Program.UnitType)) {
        GetLocalPANIDWhenFree();
        return;
    }
    // The wired connection timer starts its hand-shake (or the board's wake-up) afresh.
    Program.WSWLConnectStatus = 0;
    Program.WSWLConnectTimer = 0;
}

// The loss stays in sight until the port is back: on the LED's tool tip, and in the status
// line, said again with the time away unless something else was said in the last seconds.
QString LossText(int port) {
    const PortWatchState& watch = UnitPortWatch;
    return QString("Port %1 lost at %2: %3. Trying to reconnect every %4 s.")
        .arg(PortPathFor(port), TimeText(watch.lostAt), watch.reason)
        .arg(kPortWatchSeconds);
}

bool repeatLoss = false; // a window whose status line forgets after a few seconds

void KeepLossInSight(int port) {
    PortWatchState& watch = UnitPortWatch;
    if (!repeatLoss) return;
    constexpr int kTicksLeftToOthers = 3;
    if (ui::LastStatus() != watch.shownLoss && ++watch.ticksSinceOther < kTicksLeftToOthers)
        return;
    watch.ticksSinceOther = 0;
    watch.shownLoss = LossText(port) + QString(" Away for %1.").arg(GapText(watch.awayFor.elapsed()));
    ui::ShowStatus(watch.shownLoss);
}

void Reconnected(int port) {
    PortWatchState& watch = UnitPortWatch;
    const std::int64_t gap = watch.awayFor.elapsed();
    watch.away = false;
    ui::SetToolTip(mainpanel::PortOpenLed, QString());
    ++watch.reconnections;
    ui::SetLedColor(mainpanel::PortOpenLed, kPortLedOpen);
    const QString devicePath = ComDevicePath(port);
    const QString where =
        devicePath == PortPathFor(port) ? QString() : QString(" (now %1)").arg(devicePath);
    ui::ShowStatus(QString("Port %1 reconnected at %2 after a gap of %3%4")
                       .arg(PortPathFor(port), TimeText(ui::Now()), GapText(gap), where));
    RedoOpeningSteps(port);
}

} // namespace

void StartPortWatch(int port) {
    UnitPortWatch.away = false;
    InstallLossCallback(port, UnitPortLost);
    ui::SetLedColor(mainpanel::PortOpenLed, kPortLedOpen);
    ui::SetTimerEnabled(core::timer::PortWatch, true);
}

void StopPortWatch() {
    UnitPortWatch.away = false;
    ui::SetToolTip(mainpanel::PortOpenLed, QString());
    ui::SetTimerEnabled(core::timer::PortWatch, false);
    ui::SetLedColor(mainpanel::PortOpenLed, kPortLedOpen);
}

void UnitPortLost(int port) {
    if (port != Program.OpenComPortNum) return;
    PortWatchState& watch = UnitPortWatch;
    watch.away = true;
    watch.lostAt = ui::Now();
    watch.awayFor.start();
    watch.reason = ComLossReason(port);
    ++watch.losses;
    ui::SetLedColor(mainpanel::PortOpenLed, kPortLedLost);
    ui::SetToolTip(mainpanel::PortOpenLed, LossText(port));
    watch.shownLoss = LossText(port);
    watch.ticksSinceOther = 0;
    ui::ShowStatus(watch.shownLoss);
    RestartReceiveAfterGap();
    core::CallHook(core::hooks.CaptureStreamBroken);
    core::CallHook(core::hooks.UnitsNotHeard);
}

void PortWatchTimer() {
    const int port = Program.OpenComPortNum;
    if (port == 0) return;
    if (!IsComLost(port)) {
        (void)CheckComPresent(port); // a vanished device is reported by the loss callback
        return;
    }
    if (ReopenCom(port) == 0)
        Reconnected(port);
    else
        KeepLossInSight(port);
}

bool UnitPortAway() {
    return UnitPortWatch.away;
}

std::int64_t UnitPortAwayMs() {
    return UnitPortWatch.away ? UnitPortWatch.awayFor.elapsed() : 0;
}

QString GapText(std::int64_t milliseconds) {
    const std::int64_t seconds = (milliseconds + 500) / 1000;
    if (seconds < 60) return QString("%1 s").arg(seconds);
    if (seconds < 3600)
        return QString("%1 min %2 s").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
    return QString("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60, 2, 10, QChar('0'));
}

void RepeatPortLossInStatus(bool repeat) {
    repeatLoss = repeat;
}

void ResetPortWatch() {
    UnitPortWatch = PortWatchState{};
}

} // namespace undarix::link
