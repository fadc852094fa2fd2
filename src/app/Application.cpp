#include "app/Application.h"

#include "app/NetworkOutputControl.h"
#include "app/NumberLocale.h"
#include "app/PanelGeometry.h"
#include "app/Shortcuts.h"
#include "app/TypingHint.h"
#include "app/Wiring.h"
#include "core/FrameBuffers.h"
#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "files/FileState.h"
#include "files/NetworkOutput.h"
#include "link/PortSelection.h"
#include "link/ReceiveState.h"
#include "link/SerialPort.h"
#include "live/DeviceTable.h"
#include "ui/ControlRegistry.h"
#include "ui/Controls.h"
#include "ui/Popups.h"
#include "ui/Delay.h"
#include "ui/NumberText.h"
#include "ui/StatusMessage.h"
#include "ui/Timers.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>

#include <csignal>
#include <cstdio>

namespace undarix::app {
namespace {

MainWindow*& ShownPanel() {
    static MainWindow* panel = nullptr;
    return panel;
}

void CloseOpenFiles() {
    using core::Program;
    if (Program.FileOpen) {
        Program.FileOpen = 0;
        ui::Delay(0.6); // lets a playback tick under way finish with the file
        ClosePlaybackFile();
    }
    if (Program.OutputDataFileOpen) CloseDataFile();
    if (Program.APIFrameDataFileOpen) CloseCaptureFile();
    // Says "offline" to the broker; what is not sent stays in the queue for the next run.
    files::StopNetworkOutput();
}

} // namespace

std::unique_ptr<MainWindow> LoadMainPanel(const StartOptions& options) {
    for (const QString& path : options.extraPorts)
        link::AddExtraPortPath(path);

    QRect screen(0, 0, 1366, 768);
    if (QScreen* primary = QGuiApplication::primaryScreen()) screen = primary->geometry();
    const PanelGeometry geometry = PanelGeometryForScreen(screen.width(), screen.height());

    auto panel = std::make_unique<MainWindow>();
    const QStringList duplicates = ui::RegisterTree(panel.get());
    for (const QString& name : duplicates)
        qWarning("undarix: two controls are named \"%s\"", qPrintable(name));
    ui::SetStrict(true);
    panel->resize(geometry.width, geometry.height);
    panel->move(geometry.left, geometry.top);
    // The panel may go before the sink is replaced (tests load one panel after another).
    ui::SetStatusSink([status = QPointer<QStatusBar>(panel->statusBar())](const QString& text) {
        if (status) status->showMessage(text, 10000);
    });

    link::GetComPortList();
    link::GetComPortOutPutList();
    WireSubsystems();
    WireWindowHelpers();
    Initialize();
    BindShortcuts(*panel);
    ShowTypingHintInEveryNumberField();
    panel->mayClose = MayExitNow;
    panel->onClose = panelCB;
    return panel;
}

void Initialize() {
    using core::Program;
    Program.TimeScale = 1;
    Program.YRange = 6.0f;
    Program.YOffset = 0.0f;
    Program.DataSource = core::kSourceSerialPort;
    Program.PlottingRunning = 0;
    Program.NewChart = 1;
    InitializeSubsystems();
    for (live::OutputLineRecord& record : live::OutputLine)
        record.sampleRate = 1;
    ui::SetInt(core::mainpanel::BroadcastPowerRing, 0);
}

bool MayExitNow() {
    using core::Program;
    if (!Program.OutputDataFileOpen && !Program.APIFrameDataFileOpen) return true;
    QStringList saving;
    if (Program.OutputDataFileOpen) saving << files::Files.data.SaveOutputDataFileName;
    if (Program.APIFrameDataFileOpen) saving << files::Files.capture.SaveAPIFrameDataFileName;
    return ui::ConfirmPopup("EXIT WHILE SAVING",
                            QString("Data are being saved to\n%1\nExit, close the files and stop "
                                    "saving? Nothing is saved while the program is closed.")
                                .arg(saving.join('\n')));
}

void panelCB() {
    CloseOpenFiles();
    QCoreApplication::quit();
}

void ExitRavoZerarXB() {
    if (!MayExitNow()) return;
    CloseOpenFiles();
    QCoreApplication::quit();
}

void SendRunToWiredUnit() {
    const int unitType = core::Program.UnitType;
    if (unitType >= 3 && unitType <= 7 && core::Program.OpenComPortNum != 0)
        link::ComWrtByte(core::Program.OpenComPortNum, 'g');
}

namespace {

const QCommandLineOption& PortOption() {
    static const QCommandLineOption option(
        "port",
        "Add a serial device PATH that the system does not list (a pseudo-terminal) to "
        "both port lists. Repeatable.",
        "PATH");
    return option;
}

void NameTheApplication() {
    QCoreApplication::setApplicationName("Undarix");
    QCoreApplication::setApplicationVersion(UNDARIX_VERSION);
}

void DescribeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription("Undarix: live table, logging, chart, spectral analysis and "
                                     "configuration of wave-measuring field instruments.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(PortOption());
    AddApplicationOptions(parser);
}

bool AsksForHelpOrVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--") return false;
        for (const char* option : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
            if (argument == option) return true;
    }
    return false;
}

// Help and version need no window: they are answered without a display (over SSH, say),
// where the GUI would not start.
int AnswerHelpOrVersion(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    NameTheApplication();
    QCommandLineParser parser;
    DescribeOptions(parser);
    parser.process(application); // prints the help or the version and ends the program
    return 0;
}

} // namespace

int RunUndarix(int argc, char** argv) {
    if (AsksForHelpOrVersion(argc, argv)) return AnswerHelpOrVersion(argc, argv);
    QApplication application(argc, argv);
    // A capture or output pipe whose reader went away is a failed write that is said, not the
    // end of the program with its files unclosed.
    std::signal(SIGPIPE, SIG_IGN);
    KeepNumbersInCLocale();
    ui::UseNumberLocale(); // before the first widget: spin boxes and graphs take it at birth
    NameTheApplication();

    QCommandLineParser parser;
    DescribeOptions(parser);
    parser.process(application);

    StartOptions options;
    options.extraPorts = parser.values(PortOption());
    std::unique_ptr<MainWindow> panel = LoadMainPanel(options);
    ApplyApplicationOptions(parser);
    StartSavedNetworkOutput();
    ShownPanel() = panel.get();
    panel->show();
    application.exec();

    SendRunToWiredUnit();
    ShownPanel() = nullptr;
    panel.reset();
    return 0;
}

void ResetAll() {
    ResetSubsystems();
    core::ResetProgramState();
    live::ResetDeviceTable();
    core::ResetFrameBuffers();
    link::ResetReceiveState();
    core::hooks = core::Hooks{};
    link::ResetSerialPorts();
    ui::ClearTimers();
    ui::ClearRegistry();
}

} // namespace undarix::app
