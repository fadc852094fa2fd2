// A long run of the whole program, offscreen, against eight simulated radio units that send
// "I" blocks at 32 Hz with 1 % of their frames damaged on the way: the real serial port (a
// pseudo-terminal), receive path, dispatcher, data file, capture file and chart. At the end:
//   - every block the simulator sent intact is in the data file exactly once (matched by
//     device and time stamp), and no damaged one is;
//   - the capture file holds every byte the simulator wrote to the port;
//   - the resident memory grew less than 5 % from the end of the first minute to the end.
//
//   undarix-soak [--minutes M] [--dir DIR]

#include "SentFrames.h"
#include "app/Application.h"
#include "app/DemoMode.h"
#include "app/NumberLocale.h"
#include "chart/TraceBinding.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "files/FileState.h"
#include "sim/Simulator.h"
#include "ui/Callbacks.h"
#include "ui/Popups.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using namespace undarix;

constexpr int kUnits = 8;
constexpr int kRate = 32;
constexpr double kCorruptFraction = 0.01;
constexpr double kGrowthLimit = 0.05;
constexpr int kBaselineSeconds = 60;
constexpr int kDrainMs = 3000;

long long ResidentBytes() {
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// The pop-ups of starting to log and to capture, answered as a user would; any other pop-up
// is printed and counted (none is expected).
class SoakPopups : public ui::PopupDriver {
public:
    QString dataPath;
    QString capturePath;
    int unexpected = 0;

    void Message(const QString& title, const QString& text) override {
        ++unexpected;
        std::fprintf(stderr, "soak: pop-up %s: %s\n", qPrintable(title), qPrintable(text));
    }
    bool Confirm(const QString&, const QString&) override { return true; }
    std::optional<QString> Prompt(const QString&, const QString&, int) override {
        return QString("99"); // one continuous data file
    }
    ui::FileSelection SelectFile(const ui::FileRequest& request) override {
        const QString path = request.defaultPattern == "*.api" ? capturePath : dataPath;
        return {ui::FileSelection::Status::NewFile, path};
    }
};

// "I007" and the time stamp: what names one block in the data file and on the wire.
std::string BlockKey(std::string_view text) {
    return std::string(text.substr(0, 4)) + " " + std::string(text.substr(12, 19));
}

// Writes one line per intact "I" block the simulator sends to a log file (kept out of memory,
// so that the count does not grow the resident size being watched).
struct SentLog {
    std::FILE* file = nullptr;
    long long intactBlocks = 0;
    long long damagedFrames = 0;
    long long otherFrames = 0;

    void Observe(const std::string& bytes, bool frame, bool damaged) {
        if (!frame) return;
        if (damaged) {
            ++damagedFrames;
            return;
        }
        soak::ForEachSentFrame(bytes, [this](std::uint8_t id, std::string_view text) {
            if (soak::IsSampleBlock(id, text)) {
                ++intactBlocks;
                std::fprintf(file, "%s\n", BlockKey(text).c_str());
            } else {
                ++otherFrames;
            }
        });
    }
};

std::map<std::string, int> CountKeys(const QString& path, bool dataFile, long long& lines,
                                     long long& badLines) {
    std::map<std::string, int> counts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return counts;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty()) continue;
        ++lines;
        const std::string text = line.toStdString();
        if (!dataFile) {
            ++counts[text];
            continue;
        }
        // An "I" line: a 31-character prefix and 64 value fields.
        if (text[0] != 'I' || text.size() != 31 + 64 * 8) {
            ++badLines;
            continue;
        }
        ++counts[BlockKey(text)];
    }
    return counts;
}

struct Verdict {
    bool passed = true;
    void Check(bool ok) { passed = passed && ok; }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    undarix::app::KeepNumbersInCLocale(); // as the program starts
    QCommandLineParser parser;
    parser.setApplicationDescription("Soak run of Undarix against eight simulated radio units.");
    parser.addHelpOption();
    const QCommandLineOption minutesOption("minutes", "Length of the run (default 10).", "M", "10");
    const QCommandLineOption dirOption("dir", "Where the data and capture files go.", "DIR");
    parser.addOption(minutesOption);
    parser.addOption(dirOption);
    parser.process(application);
    const double minutes = parser.value(minutesOption).toDouble();
    const qint64 runMs = qint64(minutes * 60000.0);

    QTemporaryDir temporary;
    const QString dir = parser.isSet(dirOption) ? parser.value(dirOption) : temporary.path();
    QDir().mkpath(dir);
    auto popups = std::make_unique<SoakPopups>();
    SoakPopups* answers = popups.get();
    answers->dataPath = QDir(dir).filePath("soak.csv");
    answers->capturePath = QDir(dir).filePath("soak.api");
    ui::SetPopupDriver(std::move(popups));
    const QString sentPath = QDir(dir).filePath("sent.txt");
    SentLog sent;
    sent.file = std::fopen(qPrintable(sentPath), "w");
    if (!sent.file) {
        std::fprintf(stderr, "soak: cannot write %s\n", qPrintable(sentPath));
        return 2;
    }

    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<app::MainWindow> panel = app::LoadMainPanel({});
    panel->show();
    const qint64 shownMs = clock.elapsed();

    sim::SimOptions options;
    options.kind = 0;
    options.units = kUnits;
    options.formats = "I";
    options.rate = kRate;
    options.faults.silent = true; // until the program logs and captures
    sim::Simulator simulator(options);
    simulator.SetSendObserver([&sent](const std::string& bytes, bool frame, bool damaged) {
        sent.Observe(bytes, frame, damaged);
    });
    if (!simulator.Start()) {
        std::fprintf(stderr, "soak: %s\n", simulator.Error().c_str());
        return 2;
    }
    app::OpenSimulatedPort(simulator, "Soak units");
    ui::Dispatch(core::menu::SaveOutputData, ui::Event::Commit);
    ui::Dispatch(core::menu::SaveApiFrameData, ui::Event::Commit);
    if (!core::Program.OutputDataFileOpen || !core::Program.APIFrameDataFileOpen) {
        std::fprintf(stderr, "soak: logging or capturing did not start\n");
        return 2;
    }
    const QString dataPath = files::Files.data.SaveOutputDataFileName;
    sim::Faults faults;
    faults.corruptFraction = kCorruptFraction;
    simulator.SetFaults(faults);
    std::printf("soak: %d radio units, \"I\" blocks at %d Hz, %.0f %% of frames damaged, for %.1f "
                "minutes\n      data file %s, capture file %s\n",
                kUnits, kRate, kCorruptFraction * 100, minutes, qPrintable(dataPath),
                qPrintable(answers->capturePath));
    std::fflush(stdout);

    long long baselineRss = 0;
    long long peakRss = 0;
    QTimer second;
    second.setInterval(1000);
    QObject::connect(&second, &QTimer::timeout, [&] {
        chart::BindTracesToHeardUnits();
        const long long rss = ResidentBytes();
        peakRss = std::max(peakRss, rss);
        const qint64 elapsed = clock.elapsed() - shownMs;
        if (baselineRss == 0 && elapsed >= kBaselineSeconds * 1000) baselineRss = rss;
        if (elapsed / 1000 % 60 == 0 && elapsed >= 60000) {
            std::printf("soak: %lld min, resident %.1f MB\n", elapsed / 60000, rss / 1048576.0);
            std::fflush(stdout);
        }
        if (elapsed >= runMs) {
            second.stop();
            sim::Faults quiet = faults;
            quiet.silent = true;
            simulator.SetFaults(quiet);
            // What is still on its way is read before the files close.
            QTimer::singleShot(kDrainMs, [&] { application.quit(); });
        }
    });
    second.start();
    application.exec();

    const long long finalRss = ResidentBytes();
    const sim::SimStats stats = simulator.Stats();
    ui::Dispatch(core::menu::StopSavingOutputData, ui::Event::Commit);
    ui::Dispatch(core::menu::StopSavingApiFrameData, ui::Event::Commit);
    simulator.Stop();
    std::fclose(sent.file);

    long long dataLines = 0, badLines = 0, sentLines = 0, unused = 0;
    const std::map<std::string, int> logged = CountKeys(dataPath, true, dataLines, badLines);
    const std::map<std::string, int> expected = CountKeys(sentPath, false, sentLines, unused);
    long long once = 0, missing = 0, repeated = 0, unexpected = 0;
    for (const auto& [key, count] : expected) {
        const auto it = logged.find(key);
        const int found = it == logged.end() ? 0 : it->second;
        if (found == count)
            once += count;
        else if (found < count)
            missing += count - found, once += found;
        else
            repeated += found - count, once += count;
    }
    for (const auto& [key, count] : logged)
        if (!expected.count(key)) unexpected += count;
    const long long captured = QFileInfo(answers->capturePath).size();
    const double growth =
        baselineRss > 0 ? double(finalRss - baselineRss) / double(baselineRss) : 0.0;

    Verdict verdict;
    verdict.Check(sent.intactBlocks > 0 && once == sent.intactBlocks);
    verdict.Check(missing == 0 && repeated == 0 && unexpected == 0 && badLines == 0);
    verdict.Check(captured == stats.bytesSent);
    verdict.Check(stats.discarded == 0);
    verdict.Check(baselineRss > 0 && growth < kGrowthLimit);
    verdict.Check(answers->unexpected == 0);

    std::printf("\n=== soak summary (%.1f minutes) ===\n", minutes);
    std::printf("blocks sent intact          %lld (%lld other frames intact, %lld damaged)\n",
                sent.intactBlocks, sent.otherFrames, sent.damagedFrames);
    std::printf("data file lines             %lld (%lld not a whole \"I\" line)\n", dataLines,
                badLines);
    std::printf("  sent blocks logged once   %lld\n", once);
    std::printf("  missing / repeated        %lld / %lld\n", missing, repeated);
    std::printf("  logged but never sent     %lld\n", unexpected);
    std::printf("capture file bytes          %lld of %lld sent (%lld discarded unread)\n", captured,
                stats.bytesSent, stats.discarded);
    std::printf("resident memory             %.1f MB at 1 min, %.1f MB at the end (%+.2f %%), "
                "peak %.1f MB\n",
                baselineRss / 1048576.0, finalRss / 1048576.0, growth * 100.0, peakRss / 1048576.0);
    std::printf("unexpected pop-ups          %d\n", answers->unexpected);
    std::printf("panel loaded and shown in   %lld ms\n", shownMs);
    std::printf("result                      %s\n", verdict.passed ? "PASSED" : "FAILED");
    std::fflush(stdout);
    panel.reset();
    return verdict.passed ? 0 : 1;
}
