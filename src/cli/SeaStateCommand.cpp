#include "cli/SeaStateCommand.h"

#include "analysis/SeaStateFeed.h"
#include "analysis/codec/SeaStateAccumulator.h"
#include "analysis/codec/SeaStateFormat.h"
#include "cli/CommandLine.h"
#include "cli/HeadlessProgram.h"
#include "cli/InputFile.h"
#include "cli/SeaStateOptions.h"
#include "cli/codec/SeaStateDataFeed.h"
#include "core/Hooks.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "files/NativePath.h"
#include "link/ReceivePath.h"
#include "link/ReceiveState.h"
#include "link/SerialPort.h"
#include "live/DeviceTable.h"
#include "live/FrameDispatch.h"

#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <cmath>
#include <memory>
#include <set>
#include <string>

namespace undarix::cli {

namespace {

const char* const kSeaStateHelpStart =
    R"(Usage: undarix-cli seastate INPUT... [--interval MIN] [--device N] [--tide]
                            [--keep-level] [--band LOW:HIGH]
                            [--qc-spike SPREADS] [--qc-flat SECONDS] [--qc-min-present PERCENT]
                            [--qc-range MIN:MAX] [--qc-shift METERS] [--json]

The sea state per interval: one record per unit for each interval, with the quality control
of its raw samples and the wave parameters of what passed, exactly as the program's Sea State
page gives them for the same bytes.

  INPUT is any number of data files (.csv) and capture files (.api), given in time order (a
  month of daily files: site000.csv site001.csv ...); an interval that runs over the end of
  one file goes on in the next. Files of any length are read in fixed memory: one interval
  per unit is held at a time, for at most 64 units; the samples of any further unit are
  skipped, and those units counted and named on standard error.

  Intervals are aligned to whole multiples of their length from midnight of the units'
  clocks. Each sample is placed by its unit's time stamp and rate; a record whose interval
  the input ends in is printed too (its missing samples show).

Options:
  --interval MIN        10, 20, 30 (default) or 60 minutes
  --device N            only the unit with this device number (0 to 999)
)";

const char* const kSeaStateHelpEnd =
    R"(  --json                one JSON object per line instead of CSV with a header line

Each record: device, address, start (YYYY-MM-DDThh:mm:ss, the unit's clock), interval,
rate, tide filter, whether the slow level was taken off, the overall flag, samples expected,
present and missing, the longest gap, out of range, flat, spikes replaced, the mean shift
(each test with its flag: pass, suspect or fail), the mean level and its change over the
interval, the seconds analysed, the wave band, Hm0, Tp, Tm01, Tm02, Tm-1,0, H1/3, T1/3,
Hmax, Tmax, Tz, the number of waves, the spectral bandwidth, df, the segments averaged, the
degrees of freedom, and why a record has no wave parameters (less than 256 s of good
samples, or fewer than 20 waves). A value that cannot be had is empty (null in JSON).
Numbers use a decimal point whatever the locale.

Progress (inputs over 10 MB) and a summary go to standard error.

Exit status: 0 success, 1 bad input (unreadable, no samples), 2 usage error.
)";

namespace acodec = analysis::codec;
using core::Program;

constexpr qint64 kProgressFrom = 10 * 1000 * 1000;

struct Totals {
    qint64 size = 0;
    qint64 read = 0;
    std::uint64_t samples = 0;
    std::uint64_t records = 0;
    std::set<std::uint64_t> units;
};

// A line at each tenth of all the input.
class Progress {
public:
    Progress(const Console& console, qint64 total) : console_(console), total_(total) {}

    void Update(const QString& file, qint64 done) {
        if (total_ <= kProgressFrom) return;
        const int tenth = int(done * 10 / total_);
        for (; next_ <= tenth && next_ < 10; ++next_)
            console_.ErrLine(QString("undarix-cli seastate: %1% (%2 of %3 MB, %4)")
                                 .arg(next_ * 10)
                                 .arg(double(done) / 1e6, 0, 'f', 1)
                                 .arg(double(total_) / 1e6, 0, 'f', 1)
                                 .arg(file));
    }

private:
    const Console& console_;
    qint64 total_;
    int next_ = 1;
};

// The capture files' way: the program's receive path and dispatcher, run headless once for
// all of them, so a frame cut between two files is still whole.
class CaptureReader {
public:
    CaptureReader(const Console& console, acodec::SeaStateAccumulator& accumulator, int device,
                  Totals& totals)
        : program_(console) {
        Program.UnitType = core::RavoZerarXB;
        port_ = link::PortNumberForPath("mem:undarix-cli-seastate");
        (void)link::OpenComConfig(port_, core::BaudRateFor(Program.UnitType));
        link::InstallComCallback(port_, link::kRxCharEvent, link::ComCallback);
        core::hooks.RxDataService = live::RxDataService;
        core::hooks.SeaStateSamples = [&accumulator, &totals, device](int slot) {
            const live::OutputLineRecord& record = live::OutputLine[std::size_t(slot)];
            if (device != codec::kEveryDevice && record.deviceNumber != device) return;
            if (analysis::FeedSeaStateFromTable(slot, accumulator).fed)
                totals.samples += record.packetKind == 'C' ? 1 : std::uint64_t(record.sampleCount);
        };
    }

    void Feed(const std::string& bytes) { link::MemoryPortReceive(port_, bytes); }

private:
    HeadlessProgram program_;
    int port_ = 0;
};

class SeaStateRun {
public:
    SeaStateRun(const SeaStateRequest& request, const Console& console)
        : request_(request), console_(console), accumulator_(request.settings),
          dataFeed_(accumulator_, request.device) {
        accumulator_.SetSink([this](const acodec::SeaStateRecord& record) { Print(record); });
    }

    int Run() {
        for (const QString& input : request_.inputs) {
            if (KindOfInput(input) == InputKind::Unknown)
                return BadInput(console_, input,
                                "neither a capture file (.api) nor a data file (.csv)");
            struct stat status {};
            if (::stat(files::NativePath(input).c_str(), &status) != 0 || !S_ISREG(status.st_mode))
                return BadInput(console_, input, "no such file");
            totals_.size += status.st_size;
        }
        Progress progress(console_, totals_.size);
        progress_ = &progress;
        if (!request_.json) console_.OutLine(QString::fromStdString(acodec::SeaStateCsvHeader()));
        for (const QString& input : request_.inputs)
            if (const int status = ReadFile(input); status != kExitOk) return status;
        accumulator_.Flush();
        totals_.samples += dataFeed_.Samples();
        PrintSummary();
        if (totals_.samples == 0) {
            return BadInput(console_, request_.inputs.join(", "),
                            request_.device != codec::kEveryDevice
                                ? QString("no samples of device %1").arg(request_.device)
                                : QString("no samples with a valid time stamp and rate"));
        }
        return kExitOk;
    }

private:
    void Print(const acodec::SeaStateRecord& record) {
        ++totals_.records;
        totals_.units.insert(record.address);
        const std::string line =
            (request_.json ? acodec::SeaStateJsonLine(record) : acodec::SeaStateCsvLine(record)) +
            '\n';
        console_.Out(line);
    }

    int ReadFile(const QString& input) {
        QFile in;
        struct stat status {};
        if (const QString problem = OpenInput(input, in, status); !problem.isEmpty())
            return BadInput(console_, input, problem);
        const bool capture = KindOfInput(input) == InputKind::Capture;
        if (capture && !captures_)
            captures_ =
                std::make_unique<CaptureReader>(console_, accumulator_, request_.device, totals_);
        std::string chunk;
        bool first = true;
        for (;;) {
            chunk.resize(std::size_t(request_.chunkBytes));
            const qint64 count = in.read(chunk.data(), request_.chunkBytes);
            if (count < 0) return BadInput(console_, input, "read error: " + in.errorString());
            if (count == 0) break;
            chunk.resize(std::size_t(count));
            if (first && !capture && chunk[0] == 'Y')
                return BadInput(console_, input,
                                "a Deve Zuravi flash-card file that was not converted; make a "
                                "Davav60 file of it with the TALQConvert program first");
            first = false;
            if (capture)
                captures_->Feed(chunk);
            else
                dataFeed_.Feed(chunk.data(), chunk.size());
            totals_.read += count;
            progress_->Update(QFileInfo(input).fileName(), totals_.read);
        }
        if (!capture) dataFeed_.EndOfFile();
        return kExitOk;
    }

    void PrintSummary() {
        console_.ErrLine(QString("undarix-cli seastate: %1 file(s), %2 bytes read, %3 samples, "
                                 "%4 records of %5 unit(s)")
                             .arg(request_.inputs.size())
                             .arg(totals_.read)
                             .arg(totals_.samples)
                             .arg(totals_.records)
                             .arg(totals_.units.size()));
        if (const int skipped = accumulator_.SkippedUnits(); skipped != 0) {
            QStringList names;
            for (const acodec::SkippedUnit& unit : accumulator_.SkippedNamed())
                names << QString("device %1 (%2)")
                             .arg(unit.device)
                             .arg(QString::number(qulonglong(unit.address), 16)
                                      .toUpper()
                                      .rightJustified(16, '0'));
            console_.ErrLine(
                QString("  %1%2 unit(s) beyond the first %3 were skipped, %4 samples unread: %5%6")
                    .arg(skipped >= acodec::kMostSkippedCounted ? "at least " : "")
                    .arg(skipped)
                    .arg(acodec::kMostUnits)
                    .arg(accumulator_.SkippedSamples())
                    .arg(names.join(", "))
                    .arg(skipped > names.size() ? ", ..." : ""));
        }
        if (dataFeed_.SkippedLines() != 0)
            console_.ErrLine(QString("  %1 line(s) of the data files were not data lines and "
                                     "were skipped")
                                 .arg(dataFeed_.SkippedLines()));
        if (captures_) {
            const std::uint64_t dropped = link::RadioRx.framesDropped;
            if (dropped != 0)
                console_.ErrLine(QString("  %1 frame(s) of the capture files had a bad length "
                                         "or checksum and were skipped")
                                     .arg(dropped));
        }
    }

    const SeaStateRequest& request_;
    const Console& console_;
    acodec::SeaStateAccumulator accumulator_;
    Totals totals_;
    codec::SeaStateDataFeed dataFeed_;
    std::unique_ptr<CaptureReader> captures_;
    Progress* progress_ = nullptr;
};

} // namespace

int RunSeaState(const SeaStateRequest& request, const Console& console) {
    SeaStateRun run(request, console);
    return run.Run();
}

int SeaState(const QStringList& arguments, const Console& console) {
    const QString command = "seastate";
    QCommandLineParser parser;
    parser.addPositionalArgument("INPUT", "data files (.csv) and capture files (.api)");
    parser.addOptions(SeaStateOptions("interval"));
    parser.addOptions({{"device", "device number", "N"}, {"json", "JSON lines"}});
    static const std::string help =
        std::string(kSeaStateHelpStart) + kSeaStateOptionsHelp + kSeaStateHelpEnd;
    if (auto status = ParseCommandLine(parser, arguments, command, help.c_str(), console))
        return *status;

    SeaStateRequest request;
    request.inputs = parser.positionalArguments();
    if (request.inputs.isEmpty()) return UsageError(console, command, "wants at least one INPUT");
    if (auto status = ReadSeaStateOptions(parser, command, "interval", console, request.settings))
        return *status;
    if (parser.isSet("device")) {
        bool ok = false;
        request.device = parser.value("device").toInt(&ok);
        if (!ok || request.device < 0 || request.device >= codec::kDataLineDevices)
            return UsageError(console, command,
                              QString("--device wants a number from 0 to 999, not '%1'")
                                  .arg(parser.value("device")));
    }
    request.json = parser.isSet("json");
    return RunSeaState(request, console);
}

} // namespace undarix::cli
