// A unit port that goes away while the program logs (the adapter pulled, the simulator
// stopped): the port LED turns red, the status line says so, the program does not spin on
// the dead device, and when the same port comes back it is opened again by itself, the
// kind's opening steps are done again, and the lines go on into the same data file.

#include "cli/codec/DataLineCheck.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "files/FileState.h"
#include "link/PortSelection.h"
#include "link/SerialPort.h"
#include "sim/Simulator.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/Delay.h"
#include "ui/StatusMessage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <ctime>
#include <memory>

namespace undarix::testing {
namespace {

using namespace core;

constexpr std::uint32_t kRed = 0xFF0000;

double ProcessCpuSeconds() {
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    return double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9;
}

// Lines of the data file, and whether every one is whole.
struct Logged {
    int lines = 0;
    int torn = 0;
};

Logged ReadLogged(const QString& path) {
    Logged logged;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return logged;
    const QByteArray content = file.readAll();
    for (QByteArray line : content.split('\n')) {
        if (line.isEmpty()) continue;
        ++logged.lines;
        if (!line.endsWith('\r') ||
            cli::codec::DataLineProblem(line.constData(), std::size_t(line.size() - 1)))
            ++logged.torn;
    }
    if (!content.isEmpty() && !content.endsWith('\n')) ++logged.torn;
    return logged;
}

class UnpluggedEndToEndTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        link = dir.filePath("adapter");
        // The waits of the protocols are slept (a quarter of each), as in the other wired
        // end-to-end tests.
        ui::SetDelayDriver([this](double seconds) {
            delays.push_back(seconds);
            QThread::msleep(unsigned(seconds * 250.0));
        });
    }

    // The instrument at the end of the cable, on the same link path every time.
    void PlugIn(int kind) {
        sim::SimOptions options;
        options.kind = kind;
        options.units = 2;
        options.formats = "C";
        options.rate = 8;
        options.linkPath = link.toStdString();
        simulator = std::make_unique<sim::Simulator>(options);
        ASSERT_TRUE(simulator->Start()) << simulator->Error();
    }

    void OpenPortAndLog(int kind, const QString& csv) {
        Program.UnitType = kind;
        ui::SetInt(mainpanel::UnitTypeRing, kind);
        link::AddExtraPortPath(link);
        link::GetComPortList();
        ui::SetInt(mainpanel::ComPortList, link::PortNumberForPath(link));
        ui::Dispatch(mainpanel::ComPortList, ui::Event::Commit);
        ASSERT_NE(Program.OpenComPortNum, 0);
        popups->ExpectPrompt("SAVE FILE INTERVAL", "99");
        popups->ExpectFile("Save Output Data To:", {ui::FileSelection::Status::NewFile, csv});
        ui::Dispatch(menu::SaveOutputData, ui::Event::Commit);
        ASSERT_EQ(Program.OutputDataFileOpen, 1);
    }

    // The opening steps of the kind, as the new instrument saw them.
    bool OpeningStepsSeen(int kind) {
        return simulator->Inspect([kind](sim::SimState& s) {
            if (IsRadioKind(kind)) {
                for (const sim::ReceivedCommand& command : s.radio.received)
                    if (command.apiId == 0x08 && command.text.rfind("ID", 0) == 0) return true;
                return false;
            }
            const std::string& commands = IsBoard(kind) ? s.board.commands : s.wired.commands;
            return commands.find('g') != std::string::npos &&
                   commands.find(IsBoard(kind) ? 'r' : 's') != std::string::npos;
        });
    }

    QTemporaryDir dir;
    QString link;
    std::unique_ptr<sim::Simulator> simulator;
};

TEST_F(UnpluggedEndToEndTest, TheLostPortIsShownLetGoAndOpenedAgainWhenItComesBack) {
    for (const int kind : {RavoZerarXB, WiredRavoZerar402E, Vazavevezeze}) {
        SCOPED_TRACE(kind);
        const QString csv = dir.filePath(QString("kind%1.csv").arg(kind));
        const QString logged = dir.filePath(QString("kind%1").arg(kind) + "000.csv");
        PlugIn(kind);
        OpenPortAndLog(kind, csv);
        ASSERT_TRUE(WaitUntil([&] { return ReadLogged(logged).lines >= 10; }, 20000));

        simulator.reset(); // pulled
        ASSERT_TRUE(
            WaitUntil([] { return ui::GetLedColor(mainpanel::PortOpenLed) == kRed; }, 5000));
        EXPECT_TRUE(ui::LastStatus().startsWith(QString("Port %1 lost at ").arg(link)))
            << ui::LastStatus().toStdString();
        // Waiting for the port costs next to nothing.
        const double cpuBefore = ProcessCpuSeconds();
        WaitUntil([] { return false; }, 3000);
        EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.6);
        const int linesWhileAway = ReadLogged(logged).lines;

        PlugIn(kind);
        ASSERT_TRUE(WaitUntil([] { return ui::LastStatus().contains("reconnected at"); }, 10000))
            << ui::LastStatus().toStdString();
        EXPECT_TRUE(ui::LastStatus().contains(QString("Port %1 reconnected at").arg(link)));
        EXPECT_TRUE(ui::LastStatus().contains("after a gap of "));
        EXPECT_NE(ui::GetLedColor(mainpanel::PortOpenLed), kRed);
        EXPECT_TRUE(WaitUntil([&] { return OpeningStepsSeen(kind); }, 15000));
        EXPECT_TRUE(
            WaitUntil([&] { return ReadLogged(logged).lines >= linesWhileAway + 10; }, 20000));

        ui::Dispatch(menu::StopSavingOutputData, ui::Event::Commit);
        ui::Dispatch(mainpanel::ChangeComPortButton, ui::Event::Commit);
        EXPECT_EQ(ReadLogged(logged).torn, 0);
        simulator.reset();
    }
}

} // namespace
} // namespace undarix::testing
