#include "support/FuzzProgram.h"

#include "app/Application.h"
#include "app/Wiring.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "files/FileState.h"
#include "link/PortSelection.h"
#include "link/SerialPort.h"
#include "ui/Callbacks.h"
#include "ui/Clock.h"
#include "ui/Controls.h"
#include "ui/Delay.h"
#include "ui/Popups.h"

#include <QApplication>
#include <QDir>

#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>

namespace undarix::fuzz {
namespace {

// Nobody answers: a message is dismissed, a question declined, a prompt and a file selection
// cancelled.
class SilentPopups : public ui::PopupDriver {
public:
    void Message(const QString&, const QString&) override {}
    bool Confirm(const QString&, const QString&) override { return false; }
    std::optional<QString> Prompt(const QString&, const QString&, int) override {
        return std::nullopt;
    }
    ui::FileSelection SelectFile(const ui::FileRequest&) override { return {}; }
};

const QDateTime kStart(QDate(2026, 12, 7), QTime(12, 0, 0));
QDateTime clockNow = kStart;

void StartOnce(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Lives as long as the process: libFuzzer never returns to main.
    static QApplication* application = new QApplication(*argc, *argv);
    (void)application;
    ui::SetPopupDriver(std::make_unique<SilentPopups>());
    ui::SetDelayDriver([](double) {});
    ui::SetClock([] {
        const QDateTime reading = clockNow;
        clockNow = clockNow.addMSecs(1);
        return reading;
    });
}

} // namespace

void StartProgram() {
    app::ResetAll();
    clockNow = kStart;
    app::WireSubsystems();
    app::Initialize();
}

int OpenUnitPort(int kind) {
    core::Program.UnitType = kind;
    ui::SetInt(core::mainpanel::UnitTypeRing, kind);
    const int port = link::PortNumberForPath("mem:unit");
    ui::SetInt(core::mainpanel::ComPortList, port);
    link::ComPort(ui::Event::Commit);
    return port;
}

void OpenOutputs() {
    const int output = link::PortNumberForPath("mem:output");
    link::OpenComConfig(output, 115200);
    core::Program.OpenComPortOutPutNum = output;

    // Both written to /dev/null, taken over unlocked (two locks on one device would clash).
    files::DataFileState& data = files::Files.data;
    if (const int sink = ::open("/dev/null", O_WRONLY | O_CLOEXEC); sink >= 0) {
        data.SaveOutputDataHandle.Adopt(sink, "/dev/null", true);
        // The files kept beside the data file (sea state, settings) go to the temporary
        // folder, not into the folder the fuzzer was started from.
        data.SaveOutputDataFileName = QDir::temp().filePath("undarix-fuzz.csv");
        data.SaveFileInterval = 99;
        core::Program.OutputDataFileOpen = 1;
    }
    files::CaptureFileState& capture = files::Files.capture;
    if (const int sink = ::open("/dev/null", O_WRONLY | O_CLOEXEC); sink >= 0) {
        capture.SaveAPIFrameDataHandle.Adopt(sink, "/dev/null", true);
        core::Program.APIFrameDataFileOpen = 1;
    }
}

void Receive(int port, const std::uint8_t* data, std::size_t count) {
    link::MemoryPortReceive(port, std::string(reinterpret_cast<const char*>(data), count));
    DiscardWritten(port);
}

void DiscardWritten(int port) {
    // What the program wrote back (commands, logged lines) is not looked at.
    (void)link::MemoryPortTakeWritten(port);
    if (core::Program.OpenComPortOutPutNum != 0)
        (void)link::MemoryPortTakeWritten(core::Program.OpenComPortOutPutNum);
}

} // namespace undarix::fuzz

// libFuzzer calls this once before the first input; every target links it from here.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    undarix::fuzz::StartOnce(argc, argv);
    return 0;
}
