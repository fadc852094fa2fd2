#include "cli/UnitPort.h"

#include "cli/CommandLine.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/PortSelection.h"
#include "link/SerialPort.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <csignal>

namespace undarix::cli {

using core::Program;

const char* const kKindOptionHelp =
    R"(the kind of unit, by name or number: ravo-zerar-xb (0),
                     rezav-ivir-erazud-xb (1), rezav-ivir-erazud-rv (2), the wired
                     ravo-zerar-402e (3), ravo-zerar-408 (4), deve-zuravi-404e (5),
                     deve-zuravi-410 (6), or vazavevezeze (7))";

std::optional<int> KindOf(const QString& text) {
    const int kind = core::UnitKindFromKey(text.toStdString());
    return kind < 0 ? std::nullopt : std::optional(kind);
}

int OpenUnitPort(HeadlessProgram& program, const QString& port, int kind, const Console& console) {
    Program.UnitType = kind;
    ui::SetInt(core::mainpanel::UnitTypeRing, kind);
    link::AddExtraPortPath(port);
    ui::SetInt(core::mainpanel::ComPortList, link::PortNumberForPath(port));
    // A failure is told once, below, with the port's name.
    program.EchoStatus(false);
    ui::Dispatch(core::mainpanel::ComPortList, ui::Event::Commit);
    program.EchoStatus(true);
    if (Program.OpenComPortNum == 0)
        return BadInput(console, port, "cannot be opened: " + link::LastComError());
    return kExitOk;
}

namespace {

volatile std::sig_atomic_t stopRequested = 0;
struct sigaction previousInt {};
struct sigaction previousTerm {};

extern "C" void OnStopRequest(int) {
    stopRequested = 1;
}

} // namespace

StopRequests::StopRequests() {
    stopRequested = 0;
    struct sigaction action {};
    action.sa_handler = OnStopRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
}

StopRequests::~StopRequests() {
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
}

bool StopRequests::Requested() {
    return stopRequested != 0;
}

bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done()) return true;
    QEventLoop loop;
    QTimer check;
    check.setInterval(10);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() >= timeoutMs || StopRequests::Requested()) loop.quit();
    });
    check.start();
    loop.exec();
    return done();
}

} // namespace undarix::cli
