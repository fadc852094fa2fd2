// log: the real executable logging the frames written into a pseudo-terminal, stopped by
// SIGTERM.

#include "CliFixture.h"
#include "cli/LogCommand.h"
#include "cli/codec/DataLineCheck.h"
#include "core/PanelRoles.h"
#include "link/SerialPort.h"
#include "sim/Simulator.h"
#include "support/Pty.h"
#include "support/SmallDisk.h"
#include "ui/Timers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace undarix::testing {
namespace {

class LogTest : public CliTest {};

std::vector<int> Samples(int seed) {
    std::vector<int> mm;
    for (int k = 0; k < 64; ++k)
        mm.push_back(2000 + (k * 31 + seed * 7) % 600 - 300);
    return mm;
}

TEST_F(LogTest, TheSimulatorIsLoggedForThreeSecondsAndTheFilesClosedOnSigterm) {
    sim::SimOptions options;
    options.units = 3;
    options.formats = "AIC";
    options.rate = 32;
    sim::Simulator simulator(options);
    ASSERT_TRUE(simulator.Start()) << simulator.Error();
    // An earlier run's file keeps its number: this run writes site001.csv.
    WriteFile(Path("site000.csv"), "kept\r\n");
    QProcess process;
    process.start(UNDARIX_CLI_EXECUTABLE,
                  {"log", "--port", QString::fromStdString(simulator.SlavePath()), "--kind",
                   "ravo-zerar-xb", "--csv", Path("site.csv"), "--capture", Path("site.api")});
    ASSERT_TRUE(process.waitForStarted(5000));
    QByteArray err;
    QElapsedTimer clock;
    clock.start();
    while (!err.contains("the capture file") && clock.elapsed() < 10000) {
        process.waitForReadyRead(100);
        err += process.readAllStandardError();
    }
    ASSERT_TRUE(err.contains("logging to " + Path("site001.csv").toUtf8())) << err.toStdString();
    clock.restart();
    while (clock.elapsed() < 3000) {
        process.waitForReadyRead(100);
        err += process.readAllStandardError();
    }
    process.terminate(); // SIGTERM
    ASSERT_TRUE(process.waitForFinished(5000));
    err += process.readAllStandardError();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << err.toStdString();

    EXPECT_EQ(ReadFile(Path("site000.csv")), "kept\r\n");
    const QByteArray logged = ReadFile(Path("site001.csv"));
    // 32 one-sample lines a second, and blocks.
    const int lines = int(logged.count('\n'));
    EXPECT_GE(lines, 64) << err.toStdString();
    EXPECT_TRUE(logged.startsWith("A001,S32,") || logged.contains("\nA001,S32,"));
    EXPECT_GE(err.count("units heard"), 2) << err.toStdString();
    EXPECT_TRUE(err.contains("stopped; " + QByteArray::number(lines) + " lines written"))
        << err.toStdString();

    // The capture holds every byte; converted, it gives the very lines logged.
    const CliRun run = RunExecutable({"convert", Path("site.api"), Path("again.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(Path("again.csv")), logged);
}

// Runs the executable's log on a simulator for `seconds`, then SIGTERM; returns its stderr.
QByteArray LogFor(const sim::Simulator& simulator, const QStringList& options, int seconds,
                  int& exitCode) {
    QProcess process;
    process.start(UNDARIX_CLI_EXECUTABLE,
                  QStringList{"log", "--port", QString::fromStdString(simulator.SlavePath())} +
                      options);
    exitCode = -1;
    if (!process.waitForStarted(5000)) return {};
    QByteArray err;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        process.waitForReadyRead(100);
        err += process.readAllStandardError();
    }
    process.terminate();
    if (!process.waitForFinished(5000)) return err;
    err += process.readAllStandardError();
    exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return err;
}

TEST_F(LogTest, AWiredUnitAndTheBoardAreLoggedAfterTheHandShakeAndSetRunningAgain) {
    struct Case {
        int kind;
        QStringList options;
        const char* firstLine; // its start
    };
    const Case cases[] = {
        {3, {"--kind", "ravo-zerar-402e"}, "C001,D1,S08,0"},
        {7,
         {"--kind", "vazavevezeze", "--staff-length", "1=3", "--staff-length", "2=2.5"},
         "C001,D1,S08,0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        sim::SimOptions options;
        options.kind = c.kind;
        options.rate = 8;
        sim::Simulator simulator(options);
        ASSERT_TRUE(simulator.Start()) << simulator.Error();
        const QString csv = Path(QString("kind%1.csv").arg(c.kind));
        int exitCode = -1;
        const QByteArray err =
            LogFor(simulator, c.options + QStringList{"--csv", csv}, 5, exitCode);
        EXPECT_EQ(exitCode, 0) << err.toStdString();

        const QByteArray logged = ReadFile(Path(QString("kind%1").arg(c.kind) + "000.csv"));
        EXPECT_GE(logged.count('\n'), 8) << err.toStdString();
        EXPECT_TRUE(logged.startsWith(c.firstLine)) << logged.left(100).toStdString();
        EXPECT_TRUE(
            err.contains("stopped; " + QByteArray::number(logged.count('\n')) + " lines written"))
            << err.toStdString();
        // The unit was told to run again ("g") as the port closed.
        const std::string commands = simulator.Inspect(
            [&](sim::SimState& s) { return c.kind == 7 ? s.board.commands : s.wired.commands; });
        EXPECT_EQ(commands.back(), 'g') << commands;
        if (c.kind == 7) {
            // Staffs 1 and 2 have their lengths; the others read 0 and the program says so.
            EXPECT_TRUE(logged.contains("C002,D1,S08,0")) << logged.left(200).toStdString();
            EXPECT_FALSE(logged.contains("C002,D1,S08,00.0000"));
            EXPECT_TRUE(logged.contains("C003,D1,S08,00.0000"));
            EXPECT_TRUE(
                err.contains("No length in the staff-length table for staff 3, 4, 5, 6, 7, 8"))
                << err.toStdString();
        }
    }
}

// A capture into a pipe whose reader goes away (a `tee`, a viewer closed): the log goes on
// writing the data file, says the capture fails and ends with status 1, instead of being ended
// by SIGPIPE with nothing said.
TEST_F(LogTest, ACapturePipeWhoseReaderGoesAwayLeavesTheLogRunning) {
    sim::SimOptions options;
    options.formats = "C";
    options.rate = 32;
    sim::Simulator simulator(options);
    ASSERT_TRUE(simulator.Start()) << simulator.Error();
    const QString pipe = Path("view.api");
    ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    const int reader = ::open(pipe.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    QProcess process;
    process.start(UNDARIX_CLI_EXECUTABLE,
                  {"log", "--port", QString::fromStdString(simulator.SlavePath()), "--kind",
                   "ravo-zerar-xb", "--csv", Path("site.csv"), "--capture", pipe});
    ASSERT_TRUE(process.waitForStarted(5000));
    QByteArray err;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2000) {
        process.waitForReadyRead(100);
        err += process.readAllStandardError();
    }
    ::close(reader);
    clock.restart();
    while (clock.elapsed() < 3000 && process.state() == QProcess::Running) {
        process.waitForReadyRead(100);
        err += process.readAllStandardError();
    }
    ASSERT_EQ(process.state(), QProcess::Running) << "ended by the pipe: " << err.toStdString();
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(5000));
    err += process.readAllStandardError();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("Writing to the capture file failed")) << err.toStdString();
    EXPECT_GE(ReadFile(Path("site000.csv")).count('\n'), 64);
}

TEST_F(LogTest, TheDataFileStartsAnewAfterTheIntervalWithTheNextNumber) {
    // In this process, on a memory port: the program's rotation timer is ticked across two
    // changes of date with an interval of two days.
    int linesBefore = 0;
    QTimer::singleShot(0, [&] {
        const int port = link::PortNumberForPath("mem:units");
        const auto send = [port](int block) {
            link::MemoryPortReceive(
                port,
                ReceivedFrame(0x0013A20040A1B2C3ull, IBlockText(3, 16, 4 * block, Samples(block))));
        };
        send(0);
        send(1);
        SetNow(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 1)));
        ui::TickTimer(core::timer::FileInterval); // one change of date: not yet
        send(2);
        SetNow(QDateTime(QDate(2026, 12, 9), QTime(0, 0, 1)));
        ui::TickTimer(core::timer::FileInterval); // the second: site001.csv
        linesBefore = int(ReadFile(Path("site000.csv")).count('\n'));
        send(3);
        cli::RequestLogStop();
    });
    const CliRun run = RunInProcess({"log", "--port", "mem:units", "--kind", "rezav-ivir-erazud-xb",
                                     "--csv", Path("site.csv"), "--interval", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(linesBefore, 3);
    EXPECT_EQ(ReadFile(Path("site001.csv")).count('\n'), 1) << run.err;
    EXPECT_NE(run.err.find("logging to " + Path("site000.csv").toStdString()), std::string::npos);
    EXPECT_NE(run.err.find("Saving output data to " + Path("site001.csv").toStdString()),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("stopped; 4 lines written"), std::string::npos) << run.err;
}

// Restarts that stop before their first line leave one empty file, not one each: the empty
// last file of the series is taken again, a file with lines never.
TEST_F(LogTest, ARestartTakesTheEmptyLastFileAgain) {
    const struct {
        int blocks;           // sent before the stop
        const char* loggedTo; // the file the run logs to
    } runs[] = {{0, "site000.csv"}, {0, "site000.csv"}, {1, "site000.csv"},
                {0, "site001.csv"}, {2, "site001.csv"}, {0, "site002.csv"}};
    for (const auto& r : runs) {
        QTimer::singleShot(0, [&] {
            const int port = link::PortNumberForPath("mem:units");
            for (int block = 0; block < r.blocks; ++block)
                link::MemoryPortReceive(port, ReceivedFrame(0x0013A20040A1B2C3ull,
                                                            IBlockText(3, 16, 4 * block,
                                                                       Samples(block))));
            cli::RequestLogStop();
        });
        const CliRun run = RunInProcess(
            {"log", "--port", "mem:units", "--kind", "1", "--csv", Path("site.csv")});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find("logging to " + Path(r.loggedTo).toStdString()), std::string::npos)
            << run.err;
    }
    EXPECT_EQ(QDir(dir.path()).entryList({"site*.csv"}, QDir::Files),
              (QStringList{"site000.csv", "site001.csv", "site002.csv"}));
    EXPECT_EQ(ReadFile(Path("site000.csv")).count('\n'), 1);
    EXPECT_EQ(ReadFile(Path("site001.csv")).count('\n'), 2);
}

TEST_F(LogTest, EachSeaStateRecordGoesBesideTheDataFileAndToStandardError) {
    // One unit's "I" blocks at 16 Hz (4 s each) from 12:00:00 to 12:10:04: the first block of
    // 12:10 closes the interval 12:00-12:10, wholly present.
    QTimer::singleShot(0, [] {
        const int port = link::PortNumberForPath("mem:units");
        for (int block = 0; block <= 151; ++block)
            link::MemoryPortReceive(
                port,
                ReceivedFrame(0x0013A20040A1B2C3ull, IBlockText(3, 16, 4 * block, Samples(block))));
        cli::RequestLogStop();
    });
    const CliRun run =
        RunInProcess({"log", "--port", "mem:units", "--kind", "0", "--csv", Path("site.csv"),
                      "--seastate-interval", "10", "--qc-spike", "5"});
    ASSERT_EQ(run.status, 0) << run.err;
    const QList<QByteArray> lines = ReadFile(Path("site000-seastate.csv")).split('\n');
    ASSERT_EQ(lines.size(), 3) << run.err; // the header, one record, the empty end
    const std::map<std::string, std::string> record =
        Fields(lines[0].trimmed().toStdString(), lines[1].trimmed().toStdString());
    EXPECT_EQ(record.at("device"), "3");
    EXPECT_EQ(record.at("start"), "2026-12-07T12:00:00");
    EXPECT_EQ(record.at("interval_min"), "10");
    EXPECT_EQ(record.at("expected"), "9600");
    EXPECT_EQ(record.at("present"), "9600");
    EXPECT_NE(run.err.find("sea state of device 3 from 2026-12-07T12:00:00: "), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("9600 of 9600 samples"), std::string::npos) << run.err;
}

TEST_F(LogTest, TheSeaStateSettingsAreChecked) {
    for (const QStringList& options :
         {QStringList{"--seastate-interval", "15"}, QStringList{"--qc-spike", "0,5"},
          QStringList{"--qc-range", "2:1"}}) {
        const CliRun run =
            RunInProcess(QStringList{"log", "--port", "mem:units", "--kind", "0"} + options);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find("--" + options[0].mid(2).toStdString() + " wants"),
                  std::string::npos)
            << run.err;
    }
}

TEST_F(LogTest, APortThatCannotBeOpenedIsBadInput) {
    const CliRun run = RunInProcess(
        {"log", "--port", Path("no-such-port"), "--kind", "0", "--csv", Path("site.csv")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no-such-port: cannot be opened"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(QFile::exists(Path("site000.csv")));
}

// The companion's log as a child process, with what it says on standard error.
class LogProcess {
public:
    explicit LogProcess(const QStringList& options) {
        process_.start(UNDARIX_CLI_EXECUTABLE, QStringList{"log"} + options);
    }
    ~LogProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    LogProcess(const LogProcess&) = delete;
    LogProcess& operator=(const LogProcess&) = delete;

    // Reads what it says until `condition` holds; false if `ms` pass first.
    bool WaitFor(const std::function<bool()>& condition, int ms) {
        QElapsedTimer clock;
        clock.start();
        while (!condition()) {
            if (clock.elapsed() > ms || process_.state() == QProcess::NotRunning) return false;
            process_.waitForReadyRead(50);
            err += process_.readAllStandardError();
        }
        return true;
    }
    bool Says(const QByteArray& text, int ms) {
        return WaitFor([&] { return err.contains(text); }, ms);
    }
    void Pump(int ms) {
        WaitFor([] { return false; }, ms);
    }
    // Ends it with SIGTERM; its exit status, or -1.
    int Stop() {
        process_.terminate();
        return Finish(5000);
    }
    int Finish(int ms) {
        if (!process_.waitForFinished(ms)) return -1;
        err += process_.readAllStandardError();
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    // The processor time it has used, in seconds.
    [[nodiscard]] double CpuSeconds() const {
        QFile stat(QString("/proc/%1/stat").arg(process_.processId()));
        if (!stat.open(QIODevice::ReadOnly)) return 0.0;
        const QByteArray text = stat.readAll();
        // The fields after the name in parentheses; utime and stime are the 14th and 15th.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        return double(fields.value(11).toLongLong() + fields.value(12).toLongLong()) /
               double(sysconf(_SC_CLK_TCK));
    }

    QByteArray err;

private:
    QProcess process_;
};

// Lines of a data file: how many, and how many are not whole lines of the program's layout.
struct LineCount {
    int lines = 0;
    int torn = 0;
};

LineCount CountLines(const QByteArray& content) {
    LineCount count;
    for (const QByteArray& line : content.split('\n')) {
        if (line.isEmpty()) continue;
        ++count.lines;
        if (!line.endsWith('\r') ||
            cli::codec::DataLineProblem(line.constData(), std::size_t(line.size() - 1)))
            ++count.torn;
    }
    if (!content.isEmpty() && !content.endsWith('\n')) ++count.torn;
    return count;
}

std::unique_ptr<sim::Simulator> PlugIn(const QString& link, const char* formats = "IC") {
    sim::SimOptions options;
    options.units = 2;
    options.formats = formats;
    options.rate = 32;
    options.linkPath = link.toStdString();
    auto simulator = std::make_unique<sim::Simulator>(options);
    EXPECT_TRUE(simulator->Start()) << simulator->Error();
    return simulator;
}

TEST_F(LogTest, APortThatGoesAwayIsWaitedForWithoutSpinningAndTheSameFilesGoOn) {
    const QString link = Path("adapter");
    std::unique_ptr<sim::Simulator> simulator = PlugIn(link);
    LogProcess log({"--port", link, "--kind", "ravo-zerar-xb", "--csv", Path("site.csv"),
                    "--capture", Path("site.api")});
    const auto lines = [&] { return CountLines(ReadFile(Path("site000.csv"))).lines; };
    ASSERT_TRUE(log.WaitFor([&] { return lines() >= 40; }, 15000)) << log.err.toStdString();

    simulator.reset(); // the adapter is pulled
    log.Pump(1000);
    const double cpuBefore = log.CpuSeconds();
    log.Pump(5000);
    // A process spinning on the dead device would use the five seconds of a whole core.
    EXPECT_LT(log.CpuSeconds() - cpuBefore, 0.5);
    EXPECT_TRUE(log.err.contains("undarix-cli: Port " + link.toUtf8() + " lost at "))
        << log.err.toStdString();
    EXPECT_TRUE(log.err.contains(link.toUtf8() + " away for ")) << log.err.toStdString();
    const int linesAway = lines();

    simulator = PlugIn(link); // back, on a new pseudo-terminal behind the same path
    ASSERT_TRUE(log.Says("reconnected at", 10000)) << log.err.toStdString();
    EXPECT_TRUE(QRegularExpression("Port \\S+ reconnected at \\d\\d:\\d\\d:\\d\\d after a gap "
                                   "of \\d+ s")
                    .match(QString::fromUtf8(log.err))
                    .hasMatch())
        << log.err.toStdString();
    ASSERT_TRUE(log.WaitFor([&] { return lines() >= linesAway + 40; }, 15000))
        << log.err.toStdString();
    EXPECT_EQ(log.Stop(), 0) << log.err.toStdString();

    // One data file, every line whole; the capture holds whole frames that give the very
    // same lines.
    const QByteArray logged = ReadFile(Path("site000.csv"));
    EXPECT_EQ(CountLines(logged).torn, 0);
    EXPECT_FALSE(QFile::exists(Path("site001.csv")));
    const CliRun run = RunExecutable({"convert", Path("site.api"), Path("again.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(" 0 frames dropped"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(Path("again.csv")), logged);
}

// The data folder removed under a running log: noticed within seconds, made again with a file
// of the series; the lines counted are the lines on the disk, and the exit status says that
// some were lost.
TEST_F(LogTest, AFolderRemovedUnderTheLogIsMadeAgainAndTheLossEndsWithStatusOne) {
    const QString link = Path("adapter");
    std::unique_ptr<sim::Simulator> simulator = PlugIn(link);
    const QString folder = Path("logs");
    ASSERT_TRUE(QDir().mkpath(folder));
    LogProcess log({"--port", link, "--kind", "0", "--csv", folder + "/site.csv", "--capture",
                    folder + "/site.api"});
    const auto lines = [&] { return CountLines(ReadFile(folder + "/site000.csv")).lines; };
    ASSERT_TRUE(log.WaitFor([&] { return lines() >= 10; }, 15000)) << log.err.toStdString();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(log.Says("was removed while it was written", 8000)) << log.err.toStdString();
    ASSERT_TRUE(log.Says("Logging goes on in", 2000)) << log.err.toStdString();
    ASSERT_TRUE(log.WaitFor([&] { return lines() >= 10; }, 15000)) << log.err.toStdString();
    EXPECT_EQ(log.Stop(), 1) << log.err.toStdString();

    const QRegularExpressionMatch stopped =
        QRegularExpression("stopped; (\\d+) lines written, (\\d+) lines and (\\d+) captured "
                           "frames could not be written")
            .match(QString::fromUtf8(log.err));
    ASSERT_TRUE(stopped.hasMatch()) << log.err.toStdString();
    EXPECT_EQ(stopped.captured(1).toInt(), CountLines(ReadFile(folder + "/site000.csv")).lines);
    EXPECT_GE(stopped.captured(2).toInt(), 10);
    EXPECT_GT(stopped.captured(3).toInt(), 0);
}

TEST_F(LogTest, GiveUpAfterEndsTheLogWhenThePortStaysAway) {
    const QString link = Path("adapter");
    std::unique_ptr<sim::Simulator> simulator = PlugIn(link);
    LogProcess log(
        {"--port", link, "--kind", "0", "--csv", Path("site.csv"), "--give-up-after", "0.05"});
    ASSERT_TRUE(log.Says("units heard", 10000)) << log.err.toStdString();
    simulator.reset();
    EXPECT_EQ(log.Finish(15000), 1) << log.err.toStdString();
    EXPECT_TRUE(QRegularExpression(QRegularExpression::escape(link) +
                                   " has been away for [34] s: giving up")
                    .match(QString::fromUtf8(log.err))
                    .hasMatch())
        << log.err.toStdString();
    EXPECT_TRUE(log.err.contains("stopped; ")) << log.err.toStdString();
}

TEST_F(LogTest, ASecondWriterIsRefusedOnTheSameDeviceUnderAnyNameAndOnTheSameCapture) {
    const QString link = Path("adapter");
    std::unique_ptr<sim::Simulator> simulator = PlugIn(link);
    LogProcess first(
        {"--port", link, "--kind", "0", "--csv", Path("first.csv"), "--capture", Path("site.api")});
    ASSERT_TRUE(first.Says("the capture file", 10000)) << first.err.toStdString();
    std::unique_ptr<sim::Simulator> other = PlugIn(Path("other"));

    const struct {
        QStringList options;
        QByteArray message;
    } cases[] = {
        {{"--port", QString::fromStdString(simulator->SlavePath()), "--kind", "0", "--csv",
          Path("second.csv")},
         "cannot be opened: " + QFile::encodeName(QString::fromStdString(simulator->SlavePath())) +
             ": it is in use by another program (the device is locked)"},
        {{"--port", link, "--kind", "0"}, "it is in use by another program"},
        {{"--port", Path("other"), "--kind", "0", "--capture", Path("site.api")},
         "site.api: cannot be written: it is being written by another program"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunExecutable(QStringList{"log"} + c.options, 10000);
        EXPECT_EQ(run.status, 1) << c.message.toStdString() << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message.toStdString()), std::string::npos) << run.err;
    }
    EXPECT_FALSE(QFile::exists(Path("second000.csv")));
    first.Pump(1000);
    EXPECT_EQ(first.Stop(), 0) << first.err.toStdString();
    // The capture is the first log's alone: converted, it gives its lines.
    const CliRun run = RunExecutable({"convert", Path("site.api"), Path("again.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(Path("again.csv")), ReadFile(Path("first000.csv")));
}

TEST_F(LogTest, AFullDiskLeavesOnlyWholeLinesAndFramesAndTheLossIsCounted) {
    SmallDisk disk(256);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Unavailable().toStdString();
    const QString link = Path("adapter");
    std::unique_ptr<sim::Simulator> simulator = PlugIn(link);
    disk.Fill(16 * 1024);
    LogProcess log({"--port", link, "--kind", "0", "--csv", disk.Path("site.csv"), "--capture",
                    disk.Path("site.api")});
    const QByteArray spaceText = std::strerror(ENOSPC);
    ASSERT_TRUE(log.Says("Writing to the data file failed (" + spaceText + ")", 20000))
        << log.err.toStdString();
    ASSERT_TRUE(log.Says("Writing to the capture file failed (" + spaceText + ")", 20000))
        << log.err.toStdString();
    log.Pump(1500);
    disk.Free();
    ASSERT_TRUE(log.Says("Writing to the data file works again; ", 10000)) << log.err.toStdString();
    ASSERT_TRUE(log.Says("Writing to the capture file works again; ", 10000))
        << log.err.toStdString();
    log.Pump(1500);
    EXPECT_EQ(log.Stop(), 1) << "lines were lost: " << log.err.toStdString();

    const QRegularExpression lost("works again; (\\d+) lines could not be written \\(" +
                                  QRegularExpression::escape(spaceText) + "\\)");
    const QRegularExpressionMatch match = lost.match(QString::fromUtf8(log.err));
    ASSERT_TRUE(match.hasMatch()) << log.err.toStdString();
    EXPECT_GT(match.captured(1).toInt(), 0);
    EXPECT_TRUE(log.err.contains("lines and ")) << log.err.toStdString();
    const LineCount logged = CountLines(ReadFile(disk.Path("site000.csv")));
    EXPECT_GT(logged.lines, 0);
    EXPECT_EQ(logged.torn, 0);
    // The capture holds whole frames only.
    const CliRun run = RunExecutable({"convert", disk.Path("site.api"), Path("again.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(" 0 frames dropped"), std::string::npos) << run.err;
}

TEST(CliUsage, EveryCommandHasItsHelpAndRefusesWrongUse) {
    for (const char* command : {"convert", "analyze", "log", "frame"}) {
        const CliRun run = RunInProcess({command, "--help"});
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_EQ(run.out.rfind(std::string("Usage: undarix-cli ") + command, 0), 0) << run.out;
    }
    const CliRun help = RunExecutable({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"convert INPUT OUTPUT", "analyze INPUT", "log --port", "frame tx"})
        EXPECT_NE(help.out.find(command), std::string::npos) << help.out;

    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{}, "Usage: undarix-cli COMMAND"},
        {{"bogus"}, "unknown command 'bogus'"},
        {{"convert", "a.api"}, "wants INPUT and OUTPUT"},
        {{"analyze", "a.csv"}, "--device N is required"},
        {{"analyze", "a.csv", "--device", "0"}, "--device wants a number from 1 to 255"},
        {{"analyze", "a.csv", "--device", "1", "--from", "x"}, "--from wants a number"},
        {{"analyze", "a.csv", "--device", "1", "--from", "9", "--to", "3"}, "--from must come"},
        {{"analyze", "a.csv", "--device", "1", "--window", "square"}, "unknown window 'square'"},
        {{"analyze", "a.csv", "--device", "1", "--units", "volts"}, "unknown unit 'volts'"},
        {{"log", "--kind", "0"}, "--port PATH is required"},
        {{"log", "--port", "/dev/null"}, "--kind KIND is required"},
        {{"log", "--port", "/dev/null", "--kind", "9"}, "unknown kind '9'"},
        {{"log", "--port", "/dev/null", "--kind", "0", "--csv", "a.csv", "--interval", "0"},
         "--interval wants 1 to 98 days, or 99"},
        {{"log", "--port", "/dev/null", "--kind", "0", "--interval", "2"},
         "--interval goes with --csv"},
        {{"log", "--port", "/dev/null", "--kind", "vazavevezeze", "--staff-length", "9=3"},
         "--staff-length wants N=METERS"},
        {{"log", "--port", "/dev/null", "--kind", "vazavevezeze", "--staff-length", "1=-3"},
         "--staff-length wants N=METERS"},
        {{"log", "--port", "/dev/null", "--kind", "0", "--staff-length", "1=3"},
         "--staff-length is for the Vazavevezeze"},
        {{"log", "--port", "/dev/null", "--kind", "deve-zuravi-404e", "--capture", "a.api"},
         "--capture records the radio adapter's bytes"},
        {{"log", "--port", "/dev/null", "--kind", "0", "--give-up-after", "0"},
         "--give-up-after wants a number of minutes above 0"},
        {{"log", "--port", "/dev/null", "--kind", "0", "--give-up-after", "soon"},
         "--give-up-after wants a number of minutes above 0"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunInProcess(c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments.join(' ').toStdString();
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

} // namespace
} // namespace undarix::testing
