// A long run of the companion's log against eight simulated radio units ("I" blocks at
// 32 Hz) whose adapter is pulled several times: the simulator is stopped (its pseudo-terminal
// closes, as a pulled USB adapter's device does), left away for a while, and started again
// behind the same path. At the end:
//   - every line of the data file is a whole line;
//   - every block the simulator queued for the port is in the data file exactly once, except
//     those still on their way at the moment of a pull (reported per pull);
//   - the capture file holds whole frames only and converts to the very lines of the data
//     file;
//   - the log said each loss and each reconnection, and used next to no processor time while
//     the port was away.
//
//   undarix-soak-unplug [--minutes M] [--pulls N] [--away S] [--dir DIR]

#include "SentFrames.h"
#include "cli/codec/DataLineCheck.h"
#include "files/codec/DataLine.h"
#include "live/codec/SampleText.h"
#include "sim/Simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace undarix;

constexpr int kUnits = 8;
constexpr int kRate = 32;
constexpr qint64 kInFlightMs = 1000; // what was queued this shortly before a pull may be lost
constexpr int kDrainMs = 3000;

// The data-file line of a block, without its CR LF, made by the program's own codecs: a block
// is told by its whole line (a unit's clock set back by the time sync can stamp two blocks
// with the same second).
std::string ExpectedLine(std::string_view text) {
    float values[live::codec::kMaxBlockSamples];
    if (live::codec::DecodeBlockSamples(text, values) == 0) return {};
    char line[files::codec::kMaxDataLine];
    const std::size_t length =
        files::codec::BuildDataLine(text[0], text.data(), text.size(), values, line);
    return length > 2 ? std::string(line, length - 2) : std::string();
}

struct SentBlock {
    int instance = 0; // which simulator (0 before the first pull)
    qint64 queuedMs = 0;
    int count = 0;
};

// Every intact "I" block queued for the port, by its line.
struct SentLog {
    std::map<std::string, SentBlock> blocks;
    int instance = 0;
    QElapsedTimer* clock = nullptr;

    void Observe(const std::string& bytes, bool frame, bool damaged) {
        if (!frame || damaged) return;
        soak::ForEachSentFrame(bytes, [this](std::uint8_t id, std::string_view text) {
            if (!soak::IsSampleBlock(id, text)) return;
            SentBlock& block = blocks[ExpectedLine(text)];
            block = {instance, clock->elapsed(), block.count + 1};
        });
    }
};

std::unique_ptr<sim::Simulator> PlugIn(const QString& link, SentLog& sent, std::mutex& lock) {
    sim::SimOptions options;
    options.kind = 0;
    options.units = kUnits;
    options.formats = "I";
    options.rate = kRate;
    options.linkPath = link.toStdString();
    auto simulator = std::make_unique<sim::Simulator>(options);
    simulator->SetSendObserver([&sent, &lock](const std::string& bytes, bool frame, bool damaged) {
        std::lock_guard guard(lock);
        sent.Observe(bytes, frame, damaged);
    });
    if (!simulator->Start()) {
        std::fprintf(stderr, "soak: %s\n", simulator->Error().c_str());
        return nullptr;
    }
    return simulator;
}

double CpuSeconds(qint64 pid) {
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return 0.0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return double(fields.value(11).toLongLong() + fields.value(12).toLongLong()) /
           double(sysconf(_SC_CLK_TCK));
}

struct DataFile {
    std::map<std::string, int> keys;
    long long lines = 0;
    long long torn = 0;
};

DataFile ReadDataFile(const QString& path) {
    DataFile data;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return data;
    const QByteArray content = file.readAll();
    for (const QByteArray& line : content.split('\n')) {
        if (line.isEmpty()) continue;
        ++data.lines;
        const std::size_t length = std::size_t(line.size() - 1);
        if (!line.endsWith('\r') || line[0] != 'I' || length != 31 + 64 * 8 ||
            cli::codec::DataLineProblem(line.constData(), length)) {
            ++data.torn;
            continue;
        }
        ++data.keys[std::string(line.constData(), length)];
    }
    if (!content.isEmpty() && !content.endsWith('\n')) ++data.torn;
    return data;
}

void Sleep(qint64 ms) {
    QThread::msleep(unsigned(std::max<qint64>(ms, 0)));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Soak run of undarix-cli log with the radio adapter pulled and plugged in again.");
    parser.addHelpOption();
    const QCommandLineOption minutesOption("minutes", "Length of the run (default 10).", "M", "10");
    const QCommandLineOption pullsOption("pulls", "Times the adapter is pulled (default 3).", "N",
                                         "3");
    const QCommandLineOption awayOption("away", "Seconds it stays away (default 20).", "S", "20");
    const QCommandLineOption dirOption("dir", "Where the files go.", "DIR");
    parser.addOptions({minutesOption, pullsOption, awayOption, dirOption});
    parser.process(application);
    const qint64 runMs = qint64(parser.value(minutesOption).toDouble() * 60000.0);
    const int pulls = parser.value(pullsOption).toInt();
    const qint64 awayMs = qint64(parser.value(awayOption).toDouble() * 1000.0);

    QTemporaryDir temporary;
    const QString dir = parser.isSet(dirOption) ? parser.value(dirOption) : temporary.path();
    QDir().mkpath(dir);
    const QString link = QDir(dir).filePath("adapter");
    const QString csv = QDir(dir).filePath("soak.csv");
    const QString capture = QDir(dir).filePath("soak.api");
    const QString logText = QDir(dir).filePath("log.txt");

    QElapsedTimer clock;
    clock.start();
    std::mutex lock;
    SentLog sent;
    sent.clock = &clock;
    std::unique_ptr<sim::Simulator> simulator = PlugIn(link, sent, lock);
    if (!simulator) return 2;
    QProcess log;
    log.setStandardErrorFile(logText);
    log.start(UNDARIX_CLI_EXECUTABLE, {"log", "--port", link, "--kind", "ravo-zerar-xb", "--csv",
                                       csv, "--capture", capture});
    if (!log.waitForStarted(5000)) {
        std::fprintf(stderr, "soak: undarix-cli does not start\n");
        return 2;
    }
    std::printf("soak: undarix-cli log, %d radio units (\"I\" blocks at %d Hz), %.1f minutes, "
                "the adapter pulled %d times for %lld s\n      files in %s\n",
                kUnits, kRate, double(runMs) / 60000.0, pulls, awayMs / 1000, qPrintable(dir));
    std::fflush(stdout);

    std::vector<qint64> pulledAt;
    std::vector<double> awayCpu;
    for (int pull = 1; pull <= pulls; ++pull) {
        Sleep(runMs * pull / (pulls + 1) - clock.elapsed());
        {
            std::lock_guard guard(lock);
            pulledAt.push_back(clock.elapsed());
            ++sent.instance;
        }
        simulator.reset(); // pulled
        Sleep(1000);       // the log notices and lets go
        const double cpuBefore = CpuSeconds(log.processId());
        Sleep(awayMs - 1000);
        awayCpu.push_back(CpuSeconds(log.processId()) - cpuBefore);
        simulator = PlugIn(link, sent, lock);
        if (!simulator) return 2;
        std::printf("soak: pull %d at %.1f min, back after %lld s\n", pull,
                    double(pulledAt.back()) / 60000.0, awayMs / 1000);
        std::fflush(stdout);
    }
    Sleep(runMs - clock.elapsed());
    sim::Faults quiet;
    quiet.silent = true;
    simulator->SetFaults(quiet);
    Sleep(kDrainMs); // what is on its way is read before the files close
    log.terminate();
    log.waitForFinished(10000);
    const int logStatus = log.exitStatus() == QProcess::NormalExit ? log.exitCode() : -1;
    simulator.reset();

    // The data file, block by block against what was sent.
    const DataFile data = ReadDataFile(QDir(dir).filePath("soak000.csv"));
    long long once = 0, repeated = 0, unexpected = 0, lostConnected = 0;
    std::vector<long long> lostInFlight(std::size_t(pulls) + 1, 0);
    for (const auto& [key, block] : sent.blocks) {
        const auto it = data.keys.find(key);
        const int found = it == data.keys.end() ? 0 : it->second;
        if (found >= 1) ++once;
        if (found > 1) repeated += found - 1;
        if (found > 0) continue;
        const std::size_t instance = std::size_t(block.instance);
        const bool inFlight =
            instance < pulledAt.size() && pulledAt[instance] - block.queuedMs <= kInFlightMs;
        if (inFlight)
            ++lostInFlight[instance];
        else
            ++lostConnected;
    }
    for (const auto& [key, count] : data.keys)
        if (!sent.blocks.count(key)) unexpected += count;

    // The capture: whole frames, and the very lines of the data file.
    QProcess convert;
    convert.start(UNDARIX_CLI_EXECUTABLE,
                  {"convert", capture, QDir(dir).filePath("from-capture.csv")});
    convert.waitForFinished(600000);
    const QByteArray convertSummary = convert.readAllStandardError();
    QFile fromCapture(QDir(dir).filePath("from-capture.csv"));
    QFile logged(QDir(dir).filePath("soak000.csv"));
    const bool captureAgrees = convert.exitCode() == 0 && fromCapture.open(QIODevice::ReadOnly) &&
                               logged.open(QIODevice::ReadOnly) &&
                               fromCapture.readAll() == logged.readAll();
    const bool captureWhole = convertSummary.contains(" 0 frames dropped");

    QFile said(logText);
    said.open(QIODevice::ReadOnly);
    const QByteArray text = said.readAll();
    const int losses = int(text.count(" lost at "));
    const int reconnections = int(text.count(" reconnected at "));
    double worstAwayCpu = 0.0;
    for (double cpu : awayCpu)
        worstAwayCpu = std::max(worstAwayCpu, cpu);

    bool passed = logStatus == 0 && data.torn == 0 && lostConnected == 0 && repeated == 0 &&
                  unexpected == 0 && !sent.blocks.empty() && captureAgrees && captureWhole &&
                  losses == pulls && reconnections == pulls && worstAwayCpu < 0.5;

    std::printf("\n=== unplug soak summary (%.1f minutes, %d pulls of %lld s) ===\n",
                double(runMs) / 60000.0, pulls, awayMs / 1000);
    long long queued = 0;
    for (const auto& [line, block] : sent.blocks)
        queued += block.count;
    std::printf("blocks queued by the simulators %lld\n", queued);
    std::printf("data file lines                 %lld (%lld not a whole \"I\" line)\n", data.lines,
                data.torn);
    std::printf("  blocks logged once            %lld\n", once);
    std::printf("  lost while connected          %lld\n", lostConnected);
    for (int pull = 0; pull < pulls; ++pull)
        std::printf("  lost on their way at pull %d   %lld\n", pull + 1,
                    lostInFlight[std::size_t(pull)]);
    std::printf("  repeated / never sent         %lld / %lld\n", repeated, unexpected);
    std::printf("capture file                    %lld bytes, %s, %s\n", QFileInfo(capture).size(),
                captureWhole ? "whole frames only" : "FRAMES DROPPED",
                captureAgrees ? "converts to the data file's very lines"
                              : "DOES NOT MATCH THE DATA FILE");
    std::printf("log said                        %d losses, %d reconnections; exit status %d\n",
                losses, reconnections, logStatus);
    for (std::size_t pull = 0; pull < awayCpu.size(); ++pull)
        std::printf("  processor time while away %zu  %.2f s in %lld s\n", pull + 1, awayCpu[pull],
                    (awayMs - 1000) / 1000);
    const QList<QByteArray> gaps = [&] {
        QList<QByteArray> found;
        for (const QByteArray& line : text.split('\n'))
            if (line.contains(" reconnected at ")) found << line.mid(line.indexOf("Port "));
        return found;
    }();
    for (const QByteArray& gap : gaps)
        std::printf("  %s\n", gap.constData());
    std::printf("result                          %s\n", passed ? "PASSED" : "FAILED");
    std::fflush(stdout);
    return passed ? 0 : 1;
}
