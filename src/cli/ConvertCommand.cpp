#include "cli/ConvertCommand.h"

#include "cli/CommandLine.h"
#include "cli/HeadlessProgram.h"
#include "cli/InputFile.h"
#include "cli/codec/DataLineCheck.h"
#include "core/Hooks.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "files/DataFile.h"
#include "files/FileState.h"
#include "files/codec/DataLine.h"
#include "link/ReceivePath.h"
#include "link/SerialPort.h"
#include "live/DeviceTable.h"
#include "live/FrameDispatch.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <cstdint>
#include <string>
#include <unistd.h>

namespace undarix::cli {

const char* const kConvertHelp =
    R"(Usage: undarix-cli convert INPUT OUTPUT

Converts a capture file (.api) or a data file (.csv) into a data file.

  A capture file, the raw bytes of the radio adapter, goes through the program's own
  receive path, frame dispatcher and data-file writer: OUTPUT holds exactly the lines the
  program logs live for the same bytes, every unit in arrival order ("i" blocks included).
  Frames with a bad length or checksum are skipped and counted.

  A data file is checked line by line: each line with the layout the program writes is
  written again as the program writes it (values in meters, fields of 8 characters, CR LF);
  other lines (headers, cut or spliced lines) are counted and skipped.

  OUTPUT is a file (replaced if it exists) or - for standard output.

A summary goes to standard error: bytes read, frames (or lines) good and dropped, lines
written, and lines per device number. Inputs over 10 MB show their progress there too.

Exit status: 0 success, 1 bad input (unreadable, nothing usable, output not writable),
2 usage error.
)";

namespace {

using core::Program;

constexpr qint64 kChunk = 64 * 1024;
constexpr qint64 kProgressFrom = 10 * 1000 * 1000;
constexpr int kBadLinesShown = 10;

struct Report {
    qint64 bytes = 0;
    std::uint64_t good = 0;    // frames with a good checksum, or good lines
    std::uint64_t dropped = 0; // frames dropped, or bad lines skipped
    std::uint64_t lines = 0;
    std::array<std::uint64_t, 256> perDevice{};
};

// One line at each tenth of a large input.
class Progress {
public:
    Progress(const Console& console, const QString& name, qint64 size)
        : console_(console), name_(name), size_(size) {}

    void Update(qint64 done) {
        if (size_ <= kProgressFrom) return;
        const int tenth = int(done * 10 / size_);
        for (; next_ <= tenth && next_ < 10; ++next_)
            console_.ErrLine(QString("undarix-cli convert: %1: %2% (%3 of %4 MB)")
                                 .arg(name_)
                                 .arg(next_ * 10)
                                 .arg(double(done) / 1e6, 0, 'f', 1)
                                 .arg(double(size_) / 1e6, 0, 'f', 1));
    }

private:
    const Console& console_;
    QString name_;
    qint64 size_;
    int next_ = 1;
};

bool OpenOutput(QFile& file, const QString& output) {
    if (output == "-")
        return file.open(STDOUT_FILENO, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
    file.setFileName(output);
    // Buffered: a conversion writes many lines in a row, the live program one at a time.
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

QString OutputName(const QString& output) {
    return output == "-" ? QString("standard output") : output;
}

void PrintSummary(const Console& console, const QString& input, const Report& report,
                  const char* unit) {
    console.ErrLine(QString("undarix-cli convert: %1: %2 bytes read, %3 %4 good, %5 %4 %6, "
                            "%7 lines written")
                        .arg(input)
                        .arg(report.bytes)
                        .arg(report.good)
                        .arg(unit)
                        .arg(report.dropped)
                        .arg(QString(unit) == "frames" ? "dropped" : "bad (skipped)")
                        .arg(report.lines));
    for (int device = 0; device < int(report.perDevice.size()); ++device)
        if (report.perDevice[std::size_t(device)] != 0)
            console.ErrLine(QString("  device %1: %2 lines")
                                .arg(device, 3)
                                .arg(report.perDevice[std::size_t(device)]));
}

// Every byte of the capture through the unit port's receive callback, as if the radio
// adapter delivered it, into the data file the program logs to.
int ConvertCapture(QFile& in, const QString& input, const Console& console, Report& report) {
    Program.UnitType = core::RavoZerarXB;
    const int port = link::PortNumberForPath("mem:undarix-cli-convert");
    (void)link::OpenComConfig(port, core::BaudRateFor(Program.UnitType));
    link::InstallComCallback(port, link::kRxCharEvent, link::ComCallback);
    core::hooks.RxDataService = live::RxDataService;
    core::hooks.WriteOutputToFile = [&report](int slot) {
        const std::uint64_t before = files::Files.data.linesWritten;
        files::WriteOutputToFile(slot);
        if (files::Files.data.linesWritten != before)
            ++report.perDevice[live::OutputLine[std::size_t(slot)].deviceNumber];
    };
    Program.OutputDataFileOpen = 1;

    Progress progress(console, input, in.size());
    std::string chunk;
    for (;;) {
        chunk.resize(std::size_t(kChunk));
        const qint64 count = in.read(chunk.data(), kChunk);
        if (count < 0) return BadInput(console, input, "read error: " + in.errorString());
        if (count == 0) break;
        chunk.resize(std::size_t(count)); // within the capacity: no allocation
        link::MemoryPortReceive(port, chunk);
        report.bytes += count;
        progress.Update(report.bytes);
    }
    report.good = link::RadioRx.framesGood;
    report.dropped = link::RadioRx.framesDropped;
    // A frame the capture ends in the middle of is lost as well.
    if (link::RadioRx.assembler.State() == link::codec::ApiFrameAssembler::kReceiving)
        ++report.dropped;
    report.lines = files::Files.data.linesWritten;
    if (report.bytes == 0) return BadInput(console, input, "the file is empty");
    if (report.good == 0)
        return BadInput(
            console, input,
            QString("no API frame with a good length and checksum in %1 bytes").arg(report.bytes));
    return kExitOk;
}

// Lines of a data file: each good one written again by the data-file line codec.
class DataFileConverter {
public:
    DataFileConverter(QFile& out, const Console& console, const QString& input, Report& report)
        : out_(out), console_(console), input_(input), report_(report) {}

    void Feed(const char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            const char c = bytes[i];
            if (c == '\r' || c == '\n') {
                // CR LF ends one line; a lone CR or LF ends one too.
                if (!(c == '\n' && lastWasCr_)) {
                    EndLine();
                    ++lineNumber_;
                }
                lastWasCr_ = c == '\r';
                continue;
            }
            lastWasCr_ = false;
            if (length_ < sizeof line_)
                line_[length_++] = c;
            else
                tooLong_ = true;
        }
    }

    void Finish() {
        EndLine();
        if (report_.dropped > std::uint64_t(kBadLinesShown))
            console_.ErrLine(QString("undarix-cli convert: %1: %2 more bad lines not shown")
                                 .arg(input_)
                                 .arg(report_.dropped - std::uint64_t(kBadLinesShown)));
    }

private:
    void EndLine() {
        if (length_ == 0 && !tooLong_) return; // blank lines are passed over
        const char* problem = tooLong_ ? "line too long" : codec::DataLineProblem(line_, length_);
        if (problem) {
            if (++report_.dropped <= std::uint64_t(kBadLinesShown))
                console_.ErrLine(QString("undarix-cli convert: %1:%2: %3, skipped")
                                     .arg(input_)
                                     .arg(lineNumber_)
                                     .arg(problem));
        } else {
            char rewritten[files::codec::kMaxDataLine];
            const std::size_t n = codec::RewriteDataLine(line_, length_, rewritten);
            out_.write(rewritten, qint64(n));
            ++report_.good;
            ++report_.lines;
            ++report_.perDevice[std::size_t(codec::DataLineDevice(line_, length_) & 0xFF)];
        }
        length_ = 0;
        tooLong_ = false;
    }

    QFile& out_;
    const Console& console_;
    QString input_;
    Report& report_;
    char line_[1024];
    std::size_t length_ = 0;
    bool tooLong_ = false;
    bool lastWasCr_ = false;
    std::uint64_t lineNumber_ = 1;
};

int ConvertDataFile(QFile& in, const QString& input, const Console& console, Report& report) {
    QFile& out = files::Files.data.SaveOutputDataHandle;
    DataFileConverter converter(out, console, input, report);
    Progress progress(console, input, in.size());
    char chunk[kChunk];
    bool first = true;
    for (;;) {
        const qint64 count = in.read(chunk, kChunk);
        if (count < 0) return BadInput(console, input, "read error: " + in.errorString());
        if (count == 0) break;
        if (first && chunk[0] == 'Y')
            return BadInput(console, input,
                            "a Deve Zuravi flash-card file that was not converted; make a "
                            "Davav60 file of it with the TALQConvert program first");
        first = false;
        converter.Feed(chunk, std::size_t(count));
        report.bytes += count;
        progress.Update(report.bytes);
    }
    converter.Finish();
    if (report.bytes == 0) return BadInput(console, input, "the file is empty");
    if (report.good == 0) return BadInput(console, input, "no data line in the file");
    return kExitOk;
}

} // namespace

int Convert(const QStringList& arguments, const Console& console) {
    QCommandLineParser parser;
    parser.addPositionalArgument("INPUT", "capture file (.api) or data file (.csv)");
    parser.addPositionalArgument("OUTPUT", "data file, or - for standard output");
    if (auto status = ParseCommandLine(parser, arguments, "convert", kConvertHelp, console))
        return *status;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2)
        return UsageError(console, "convert", "wants INPUT and OUTPUT, and nothing else");
    return ConvertFile(files[0], files[1], console);
}

int ConvertFile(const QString& input, const QString& output, const Console& console) {
    const InputKind kind = KindOfInput(input);
    if (kind == InputKind::Unknown)
        return BadInput(console, input, "neither a capture file (.api) nor a data file (.csv)");
    QFile in(input);
    if (!in.open(QIODevice::ReadOnly)) return BadInput(console, input, in.errorString());
    if (output != "-" && QFileInfo(output).exists() &&
        QFileInfo(output).canonicalFilePath() == QFileInfo(input).canonicalFilePath())
        return BadInput(console, output, "is the input file itself");

    HeadlessProgram program(console);
    files::DataFileState& data = files::Files.data;
    if (!OpenOutput(data.SaveOutputDataHandle, output))
        return BadInput(console, OutputName(output),
                        "cannot be written: " + data.SaveOutputDataHandle.errorString());
    data.SaveOutputDataFileName = output;

    Report report;
    const int status = kind == InputKind::Capture ? ConvertCapture(in, input, console, report)
                                                  : ConvertDataFile(in, input, console, report);
    QFile& out = data.SaveOutputDataHandle;
    const bool written = out.flush() && out.error() == QFileDevice::NoError && !data.writeFailing;
    const QString writeError = out.errorString();
    files::CloseDataFileNow();
    if (status == kExitOk || report.lines != 0)
        PrintSummary(console, input, report, kind == InputKind::Capture ? "frames" : "lines");
    if (!written) return BadInput(console, OutputName(output), "write failed: " + writeError);
    return status;
}

} // namespace undarix::cli
