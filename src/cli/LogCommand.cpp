#include "cli/LogCommand.h"

#include "analysis/SeaState.h"
#include "analysis/SeaStateSettings.h"
#include "analysis/codec/SeaStateFormat.h"
#include "cli/CommandLine.h"
#include "cli/HeadlessProgram.h"
#include "cli/LogConfigRead.h"
#include "cli/LogNetworkOutput.h"
#include "cli/SeaStateOptions.h"
#include "cli/UnitPort.h"
#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "files/CaptureFile.h"
#include "files/DataFile.h"
#include "files/FileState.h"
#include "files/NativePath.h"
#include "files/codec/DataFileName.h"
#include "link/PortSelection.h"
#include "link/PortWatch.h"
#include "link/SerialPort.h"
#include "live/DeviceTable.h"
#include "ui/Callbacks.h"
#include "ui/Clock.h"
#include "ui/Controls.h"
#include "ui/Timers.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <array>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <map>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace undarix::cli {

namespace {

const char* const kLogHelpStart =
    R"(Usage: undarix-cli log --port PATH --kind KIND [--csv FILE.csv] [--interval DAYS]
                       [--capture FILE.api] [--staff-length N=METERS]...
                       [--give-up-after MINUTES] [--seastate-interval MIN] [--tide]
                       [--qc-spike SD] [--qc-flat SECONDS] [--qc-min-present PERCENT]
                       [--qc-range MIN:MAX] [--qc-shift METERS]

Logs the units on a serial port without a window, through the program's own serial path:
the receive callback, the frame dispatcher and device table, the presence timer, the data
file with its rotation and name numbering, and the capture file. Wired units and the
Vazavevezeze go through the wired hand-shake first and are set running again ("g") when the
log stops. Runs until SIGINT (Ctrl-C) or SIGTERM, which close the files cleanly.

Options:
  --port PATH        the serial device (e.g. /dev/ttyUSB0)
  --kind KIND        the kind of unit, by name or number: ravo-zerar-xb (0),
                     rezav-ivir-erazud-xb (1), rezav-ivir-erazud-rv (2), the wired
                     ravo-zerar-402e (3), ravo-zerar-408 (4), deve-zuravi-404e (5),
                     deve-zuravi-410 (6), or vazavevezeze (7)
  --csv FILE.csv     log the decoded samples to data files: FILE000.csv, then FILE001.csv
                     after the interval, and so on. Numbers already used by files that
                     exist are passed over, so a restarted log never replaces a file.
  --interval DAYS    days from the start of one data file to the start of the next,
                     1 to 98 (default 1: a new file at each change of date); 99 for one
                     continuous file
  --capture FILE.api record the raw bytes of the radio adapter (radio kinds); an existing
                     file is continued, never replaced
  --staff-length N=METERS
                     the length of the Vazavevezeze's staff N (1 to 8) in meters, as in
                     its staff-length table; once for each staff
  --give-up-after MINUTES
                     end with exit status 1 when the port has been away this long
                     (default: never; the log waits for the port for as long as it runs)
  --no-config-read   do not read each radio unit's configuration when it is first heard
                     (by default it is read once, one unit at a time, and kept in
                     FILE000-config.jsonl beside the data file and sent retained to
                     <root>/<device>/config with --mqtt)

The sea state per interval, as the window's Sea State page gives it: each record goes to
FILE000-seastate.csv beside the data file (rotated with it), to the network output when
--mqtt is given, and as a line to standard error. Its settings, as for the seastate command:
  --seastate-interval MIN
                        10, 20, 30 (default) or 60 minutes
)";

const char* const kLogHelpEnd =
    R"(
One status line a second goes to standard error: units heard, lines written, bytes
captured. When the port goes away (the adapter pulled, the cable's far end gone) a line
says so with the time, the log tries the port again every few seconds (the same path, or
the same USB adapter on a new path), and a line says when it is back and how long the gap
was; the files go on where they were. When the disk is full, lines (and captured frames)
that cannot be written whole are counted and left out, and the count is said when writing
works again. The files are locked while they are written: a second log on the same data
file, capture file or device (under any name) is refused.

A data or capture file removed while it is written (alone, with its folder, or its disk) is
noticed within seconds: its lines no longer count as written, and the folder and a file of
the series are made again.
Exit status: 0 after a clean stop with every line and frame kept, 1 bad input (the port or a
file cannot be opened, the port stayed away longer than --give-up-after, or a line or frame
could not be kept), 2 usage error.
)";

using core::Program;

struct StaffLength {
    int staff = 0; // 1 to 8
    double meters = 0.0;
};

struct LogRequest {
    QString port;
    int kind = 0;
    QString csv;
    int interval = 1;
    QString capture;
    std::vector<StaffLength> staffLengths;
    std::optional<LogNetworkRequest> network;
    double giveUpMinutes = 0.0; // 0: never
    bool configRead = true;
    analysis::codec::SeaStateSettings seaState;
};

// "device 3 from 2026-12-07T12:00:00: pass, Hm0 1.5031 m, Tp 8.000 s, 14400 of 14400 samples"
QString SeaStateSummary(const analysis::codec::SeaStateRecord& record) {
    std::map<std::string, std::string> field;
    for (auto& [name, text] : analysis::codec::SeaStateFieldTexts(record))
        field[name] = std::move(text);
    const auto text = [&field](const char* name) { return QString::fromStdString(field[name]); };
    const QString waves = record.analysed
                              ? QString("Hm0 %1 m, Tp %2 s").arg(text("hm0_m"), text("tp_s"))
                              : QString("too little passed for the statistics");
    return QString("device %1 from %2: %3, %4, %5 of %6 samples")
        .arg(text("device"), text("start"), text("flag"), waves, text("present"), text("expected"));
}

// The sea state per interval, as in the window: its file beside the data file and, through
// the listener the wiring connected, the network output; here also a line each on stderr.
void StartSeaState(const LogRequest& request, const Console& console) {
    analysis::ApplySeaStateSettings(request.seaState);
    core::hooks.SeaStateSamples = analysis::FeedSeaState;
    analysis::ConnectSeaStateRecords([console](const analysis::codec::SeaStateRecord& record) {
        console.ErrLine("undarix-cli log: sea state of " + SeaStateSummary(record));
    });
}

// "N=METERS": a staff of the board, 1 to 8, and its length.
std::optional<StaffLength> ParseStaffLength(const QString& text) {
    const QStringList parts = text.split('=');
    if (parts.size() != 2) return std::nullopt;
    bool staffOk = false, metersOk = false;
    const StaffLength length{parts[0].trimmed().toInt(&staffOk),
                             parts[1].trimmed().toDouble(&metersOk)};
    if (!staffOk || !metersOk || length.staff < 1 || length.staff > 8 ||
        !(length.meters > 0.0 && length.meters < 1000.0))
        return std::nullopt;
    return length;
}

// SIGINT and SIGTERM write a byte into this pipe; the event loop reads it and stops.
int stopPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
    const char byte = 1;
    if (stopPipe[1] >= 0) (void)!write(stopPipe[1], &byte, 1);
}

class StopSignals {
public:
    StopSignals() {
        if (stopPipe[0] < 0 && pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
        char stale[16];
        while (read(stopPipe[0], stale, sizeof stale) > 0) {
        }
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, &previousInt_);
        sigaction(SIGTERM, &action, &previousTerm_);
        // A capture pipe whose reader went away is a failed write, counted and said like a
        // full disk, not the silent end of the whole log.
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, &previousPipe_);
    }
    ~StopSignals() {
        sigaction(SIGINT, &previousInt_, nullptr);
        sigaction(SIGTERM, &previousTerm_, nullptr);
        sigaction(SIGPIPE, &previousPipe_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
    struct sigaction previousPipe_ {};
};

// The first data file of the series, as the start of logging opens it, at the first number
// no existing file holds.
int StartDataFile(const LogRequest& request, const Console& console) {
    namespace names = files::codec;
    const std::string numbered = names::NumberedDataFileName(files::NativePath(request.csv));
    if (numbered.size() > names::kMaxPathLength)
        return BadInput(
            console, request.csv,
            QString("the path is longer than %1 characters").arg(names::kMaxPathLength));
    int number = 0;
    while (
        number <= names::kLastFileNumber &&
        files::PathExists(files::PathFromNative(names::DataFileNameWithNumber(numbered, number))))
        ++number;
    // An empty last file of the series (a run that stopped before its first line) is taken
    // again rather than leaving a trail of empty files.
    if (number > 0) {
        struct stat last {};
        const std::string previous = names::DataFileNameWithNumber(numbered, number - 1);
        if (::stat(previous.c_str(), &last) == 0 && S_ISREG(last.st_mode) && last.st_size == 0)
            --number;
    }
    if (number > names::kLastFileNumber)
        return BadInput(console, request.csv,
                        QString("every file number of the series up to %1 exists already")
                            .arg(names::kLastFileNumber));
    const QString name = files::PathFromNative(names::DataFileNameWithNumber(numbered, number));

    files::DataFileState& data = files::Files.data;
    if (!data.SaveOutputDataHandle.Open(name, files::RecordFile::Mode::Replace))
        return BadInput(console, name,
                        "cannot be written: " + data.SaveOutputDataHandle.ErrorText());
    data.SaveOutputDataFileName = name;
    data.SaveFileInterval = request.interval;
    data.SaveFileLastDay = ui::Now().date().day();
    data.SaveFileDayCounter = 0;
    data.SaveFileNameCounter = number;
    Program.OutputDataFileOpen = 1;
    ui::SetTimerEnabled(core::timer::FileInterval, true);
    return kExitOk;
}

int StartCapture(const LogRequest& request, const Console& console, bool& existed) {
    existed = files::PathExists(request.capture);
    if (!files::StartCaptureFile(request.capture, files::RecordFile::Mode::Append))
        return BadInput(console, request.capture,
                        "cannot be written: " +
                            files::Files.capture.SaveAPIFrameDataHandle.ErrorText());
    return kExitOk;
}

// The port could not be opened: the files this run made are taken away again.
void AbandonFiles(bool captureExisted) {
    const QString data = files::Files.data.SaveOutputDataFileName;
    const QString capture = files::Files.capture.SaveAPIFrameDataFileName;
    const bool dataOpen = Program.OutputDataFileOpen != 0;
    const bool captureOpen = Program.APIFrameDataFileOpen != 0;
    files::CloseDataFileNow();
    files::CloseCaptureFileNow();
    if (dataOpen) ::unlink(files::NativePath(data).c_str());
    if (captureOpen && !captureExisted) ::unlink(files::NativePath(capture).c_str());
}

// The bytes the capture file has grown by (since it was made again, if it was removed).
struct CaptureCount {
    [[nodiscard]] std::int64_t Captured() const {
        const files::RecordFile& file = files::Files.capture.SaveAPIFrameDataHandle;
        return file.IsOpen() ? file.Size() - files::Files.capture.startSize : 0;
    }
};

// Lines or frames that could not be kept (a full disk, a file removed under the log).
[[nodiscard]] bool AnythingLost() {
    return files::Files.data.health.lostTotal != 0 || files::Files.capture.health.lostTotal != 0;
}

int UnitsHeard() {
    int heard = 0;
    for (const live::OutputLineRecord& record : live::OutputLine)
        if (record.address != 0) ++heard;
    return heard;
}

// ", 12 lines and 3 frames could not be written": what a full disk cost, if anything.
QString LostText() {
    const std::uint64_t lines = files::Files.data.health.lostTotal;
    const std::uint64_t frames = files::Files.capture.health.lostTotal;
    if (lines == 0 && frames == 0) return {};
    QStringList lost;
    if (lines != 0) lost << QString("%1 lines").arg(lines);
    if (frames != 0) lost << QString("%1 captured frames").arg(frames);
    return ", " + lost.join(" and ") + " could not be written";
}

// The line of each second: the units, the lines and bytes, and whether the port is away.
QString StatusLine(const LogRequest& request, std::int64_t captured) {
    const QString away = link::UnitPortAway()
                             ? QString("%1 away for %2, waiting for it; ")
                                   .arg(request.port, link::GapText(link::UnitPortAwayMs()))
                             : QString();
    const QString file =
        Program.OutputDataFileOpen
            ? " (" + QFileInfo(files::Files.data.SaveOutputDataFileName).fileName() + ")"
            : QString();
    return QString("%1%2 units heard, %3 lines written%4%5, %6 bytes captured")
        .arg(away)
        .arg(UnitsHeard())
        .arg(files::Files.data.linesWritten)
        .arg(file, LostText())
        .arg(captured);
}

[[nodiscard]] bool GivingUp(const LogRequest& request) {
    return request.giveUpMinutes > 0.0 && link::UnitPortAway() &&
           double(link::UnitPortAwayMs()) >= request.giveUpMinutes * 60000.0;
}

int RunLog(const LogRequest& request, const Console& console) {
    // From here on a stop request waits for the files to be closed.
    StopSignals stopSignals;
    HeadlessProgram program(console);
    const LogNetworkOutput network(request.network, console);
    StartSeaState(request, console);
    // The files are open before the port, so that both take the stream from its first byte.
    Program.UnitType = request.kind;
    bool captureExisted = false;
    if (!request.csv.isEmpty())
        if (const int status = StartDataFile(request, console)) return status;
    if (!request.capture.isEmpty())
        if (const int status = StartCapture(request, console, captureExisted)) {
            AbandonFiles(captureExisted);
            return status;
        }
    // The board's staff-length table, as the user fills it in before opening the port.
    for (const StaffLength& length : request.staffLengths)
        ui::SetTableCell(core::mainpanel::BoardStaffTable, length.staff, 1, length.meters);
    if (const int status = OpenUnitPort(program, request.port, request.kind, console)) {
        AbandonFiles(captureExisted);
        return status;
    }
    if (Program.OutputDataFileOpen)
        console.ErrLine(QString("undarix-cli log: logging to %1")
                            .arg(files::Files.data.SaveOutputDataFileName));
    if (Program.APIFrameDataFileOpen)
        console.ErrLine(QString("undarix-cli log: %1 the capture file %2")
                            .arg(captureExisted ? "continuing" : "writing", request.capture));

    CaptureCount capture;
    std::optional<LogConfigRead> configRead;
    if (request.configRead) configRead.emplace(console);

    QEventLoop loop;
    QSocketNotifier stopNotifier(stopPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &loop, [&loop] {
        char bytes[16];
        while (read(stopPipe[0], bytes, sizeof bytes) > 0) {
        }
        loop.quit();
    });

    int exitStatus = kExitOk;
    QTimer status;
    status.setInterval(1000);
    QObject::connect(&status, &QTimer::timeout, &loop, [&] {
        console.ErrLine("undarix-cli log: " + StatusLine(request, capture.Captured()) +
                        NetworkStatusPart());
        if (GivingUp(request)) {
            console.ErrLine(QString("undarix-cli log: %1 has been away for %2: giving up")
                                .arg(request.port, link::GapText(link::UnitPortAwayMs())));
            exitStatus = kExitBadInput;
            loop.quit();
        }
    });
    status.start();

    loop.exec();

    // The closing steps of the program's end: data file, capture file, then the port.
    const std::int64_t captured = capture.Captured();
    files::CloseDataFileNow();
    files::CloseCaptureFileNow();
    link::CloseUnitPort();
    console.ErrLine(QString("undarix-cli log: stopped; %1 lines written%2, %3 bytes captured")
                        .arg(files::Files.data.linesWritten)
                        .arg(LostText())
                        .arg(captured));
    return AnythingLost() ? kExitBadInput : exitStatus;
}

} // namespace

void RequestLogStop() {
    OnStopSignal(0);
}

int Log(const QStringList& arguments, const Console& console) {
    const QString command = "log";
    QCommandLineParser parser;
    parser.addOptions({{"port", "serial device", "PATH"},
                       {"kind", "unit kind", "KIND"},
                       {"csv", "data file", "FILE"},
                       {"interval", "days per data file", "DAYS"},
                       {"capture", "capture file", "FILE"},
                       {"staff-length", "a board staff's length", "N=METERS"},
                       {"give-up-after", "minutes the port may stay away", "MINUTES"},
                       {"no-config-read", "no configuration reads"}});
    parser.addOptions(SeaStateOptions("seastate-interval"));
    parser.addOptions(NetworkOutputOptions());
    static const std::string help =
        std::string(kLogHelpStart) + kSeaStateOptionsHelp + kLogHelpEnd + kLogNetworkHelp;
    if (auto status = ParseCommandLine(parser, arguments, command, help.c_str(), console))
        return *status;
    if (!parser.positionalArguments().isEmpty())
        return UsageError(console, command,
                          QString("unexpected argument '%1'").arg(parser.positionalArguments()[0]));

    LogRequest request;
    if (!parser.isSet("port")) return UsageError(console, command, "--port PATH is required");
    request.port = parser.value("port");
    if (!parser.isSet("kind")) return UsageError(console, command, "--kind KIND is required");
    const std::optional<int> kind = KindOf(parser.value("kind"));
    if (!kind)
        return UsageError(console, command, QString("unknown kind '%1'").arg(parser.value("kind")));
    request.kind = *kind;
    request.csv = parser.value("csv");
    request.configRead = !parser.isSet("no-config-read");
    request.capture = parser.value("capture");
    if (parser.isSet("interval")) {
        bool ok = false;
        request.interval = parser.value("interval").toInt(&ok);
        if (!ok || request.interval < 1 || request.interval > 99)
            return UsageError(console, command,
                              QString("--interval wants 1 to 98 days, or 99, not '%1'")
                                  .arg(parser.value("interval")));
    }
    for (const QString& text : parser.values("staff-length")) {
        const std::optional<StaffLength> length = ParseStaffLength(text);
        if (!length)
            return UsageError(console, command,
                              QString("--staff-length wants N=METERS, a staff from 1 to 8 and "
                                      "its length in meters, not '%1'")
                                  .arg(text));
        request.staffLengths.push_back(*length);
    }
    if (parser.isSet("give-up-after")) {
        bool ok = false;
        request.giveUpMinutes = parser.value("give-up-after").toDouble(&ok);
        if (!ok || !(request.giveUpMinutes > 0.0))
            return UsageError(console, command,
                              QString("--give-up-after wants a number of minutes above 0, not "
                                      "'%1'")
                                  .arg(parser.value("give-up-after")));
    }
    if (auto status =
            ReadSeaStateOptions(parser, command, "seastate-interval", console, request.seaState))
        return *status;
    if (!request.staffLengths.empty() && !core::IsBoard(request.kind))
        return UsageError(console, command, "--staff-length is for the Vazavevezeze's staffs");
    if (!request.capture.isEmpty() && !core::IsRadioKind(request.kind))
        return UsageError(console, command,
                          "--capture records the radio adapter's bytes: radio kinds only");
    if (parser.isSet("interval") && request.csv.isEmpty())
        return UsageError(console, command, "--interval goes with --csv");
    std::optional<int> networkStatus;
    request.network =
        ParseNetworkOutput(parser, request.csv, request.capture, console, networkStatus);
    if (networkStatus) return *networkStatus;
    if (request.csv.isEmpty() && request.capture.isEmpty())
        console.ErrLine("undarix-cli log: neither --csv nor --capture: nothing will be saved");
    return RunLog(request, console);
}

} // namespace undarix::cli
