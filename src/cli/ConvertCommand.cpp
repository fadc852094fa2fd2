#include "cli/ConvertCommand.h"

#include "cli/CommandLine.h"
#include "cli/ConvertOutput.h"
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

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
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

  INPUT - reads standard input (a capture or a data file, told apart by its first bytes);
  a pipe or a device is only read that way, since it may never end. OUTPUT - is standard
  output. Any other OUTPUT is made as a temporary file beside it, which replaces OUTPUT only
  once the conversion has finished: a failure, a full disk or an interruption leaves an
  existing OUTPUT as it was; a symbolic link (or a chain of them) stays, and the file it ends
at is renewed. Temporary files that a killed conversion left are removed. INPUT and OUTPUT
(standard output included) must not be the same file, under any name. A pipe that nothing
reads is refused at once.

A summary goes to standard error: bytes read, frames (or lines) good and dropped, lines
written, and lines per device number. Inputs over 10 MB show their progress there too.

Exit status: 0 success, 1 bad input (unreadable, nothing usable, no line could be made of
it, output not writable), 2 usage error.
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
    std::uint64_t lines = 0;   // lines made (held, or written to a stream)
    std::array<std::uint64_t, 256> perDevice{};
    bool writeFailed = false;
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

// The input's bytes in pieces; the first piece of standard input is read ahead to tell its
// kind.
class InputPieces {
public:
    explicit InputPieces(QFile& file) : file_(file) {}

    std::string_view Peek() {
        if (ahead_.empty()) {
            ahead_.resize(std::size_t(kChunk));
            const qint64 count = file_.read(ahead_.data(), kChunk);
            ahead_.resize(count > 0 ? std::size_t(count) : 0);
            failed_ = count < 0;
        }
        return ahead_;
    }

    // Bytes read into `data` (at most `room`), 0 at the end, -1 on a read error.
    qint64 Read(char* data, qint64 room) {
        if (failed_) return -1;
        if (position_ < ahead_.size()) {
            const std::size_t count = std::min(ahead_.size() - position_, std::size_t(room));
            std::memcpy(data, ahead_.data() + position_, count);
            position_ += count;
            return qint64(count);
        }
        return file_.read(data, room);
    }

    [[nodiscard]] QString ErrorText() const { return file_.errorString(); }
    [[nodiscard]] qint64 Size() const { return file_.isSequential() ? 0 : file_.size(); }

private:
    QFile& file_;
    std::string ahead_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

QString InputName(const QString& input) {
    return input == "-" ? QString("standard input") : input;
}

void PrintSummary(const Console& console, const QString& input, const Report& report,
                  const char* unit, const QString& written) {
    console.ErrLine(QString("undarix-cli convert: %1: %2 bytes read, %3 %4 good, %5 %4 %6, %7")
                        .arg(input)
                        .arg(report.bytes)
                        .arg(report.good)
                        .arg(unit)
                        .arg(report.dropped)
                        .arg(QString(unit) == "frames" ? "dropped" : "bad (skipped)")
                        .arg(written));
    for (int device = 0; device < int(report.perDevice.size()); ++device)
        if (report.perDevice[std::size_t(device)] != 0)
            console.ErrLine(QString("  device %1: %2 lines")
                                .arg(device, 3)
                                .arg(report.perDevice[std::size_t(device)]));
}

// Every byte of the capture through the unit port's receive callback, as if the radio
// adapter delivered it, into the data file the program logs to.
int ConvertCapture(InputPieces& in, const QString& input, const Console& console, Report& report) {
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

    Progress progress(console, input, in.Size());
    std::string chunk;
    // A failed write ends the conversion: the output could not be whole anyway.
    const auto writeFailed = [] { return files::Files.data.health.lostTotal != 0; };
    while (!writeFailed()) {
        chunk.resize(std::size_t(kChunk));
        const qint64 count = in.Read(chunk.data(), kChunk);
        if (count < 0) return BadInput(console, input, "read error: " + in.ErrorText());
        if (count == 0) break;
        chunk.resize(std::size_t(count)); // within the capacity: no allocation
        link::MemoryPortReceive(port, chunk);
        report.bytes += count;
        progress.Update(report.bytes);
    }
    report.writeFailed = writeFailed();
    report.good = link::RadioRx.framesGood;
    report.dropped = link::RadioRx.framesDropped;
    // A frame the capture ends in the middle of is lost as well.
    if (!report.writeFailed &&
        link::RadioRx.assembler.State() == link::codec::ApiFrameAssembler::kReceiving)
        ++report.dropped;
    report.lines = files::Files.data.linesWritten;
    if (report.writeFailed) return kExitOk; // said by the caller, with the output's name
    if (report.bytes == 0) return BadInput(console, input, "the file is empty");
    if (report.good == 0)
        return BadInput(
            console, input,
            QString("no API frame with a good length and checksum in %1 bytes").arg(report.bytes));
    if (report.lines == 0)
        return BadInput(console, input,
                        QString("no data line could be made: none of its %1 good frames is a "
                                "sample packet")
                            .arg(report.good));
    return kExitOk;
}

// Lines of a data file: each good one written again by the data-file line codec.
class DataFileConverter {
public:
    DataFileConverter(files::RecordFile& out, const Console& console, const QString& input,
                      Report& report)
        : out_(out), console_(console), input_(input), report_(report) {}

    void Feed(const char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count && !report_.writeFailed; ++i) {
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
        if (report_.writeFailed) return;
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
            ++report_.good;
            if (!out_.Append(rewritten, n)) {
                report_.writeFailed = true;
                return;
            }
            ++report_.lines;
            ++report_.perDevice[std::size_t(codec::DataLineDevice(line_, length_) & 0xFF)];
        }
        length_ = 0;
        tooLong_ = false;
    }

    files::RecordFile& out_;
    const Console& console_;
    QString input_;
    Report& report_;
    char line_[1024];
    std::size_t length_ = 0;
    bool tooLong_ = false;
    bool lastWasCr_ = false;
    std::uint64_t lineNumber_ = 1;
};

int ConvertDataFile(InputPieces& in, const QString& input, const Console& console, Report& report) {
    DataFileConverter converter(files::Files.data.SaveOutputDataHandle, console, input, report);
    Progress progress(console, input, in.Size());
    char chunk[kChunk];
    bool first = true;
    while (!report.writeFailed) {
        const qint64 count = in.Read(chunk, kChunk);
        if (count < 0) return BadInput(console, input, "read error: " + in.ErrorText());
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
    if (report.writeFailed) return kExitOk; // said by the caller, with the output's name
    if (report.bytes == 0) return BadInput(console, input, "the file is empty");
    if (report.good == 0) return BadInput(console, input, "no data line in the file");
    return kExitOk;
}

// How the summary ends: what is really in the output now.
QString WrittenText(const Report& report, bool kept, const ConvertOutput& out) {
    if (kept) return QString("%1 lines written").arg(report.lines);
    if (out.IsStream()) return QString("%1 lines written before it stopped").arg(report.lines);
    return QString("%1 lines converted, none written (%2 is left as it was)")
        .arg(report.lines)
        .arg(out.Name());
}

} // namespace

int Convert(const QStringList& arguments, const Console& console) {
    QCommandLineParser parser;
    parser.addPositionalArgument("INPUT", "capture file (.api) or data file (.csv), or -");
    parser.addPositionalArgument("OUTPUT", "data file, or - for standard output");
    if (auto status = ParseCommandLine(parser, arguments, "convert", kConvertHelp, console))
        return *status;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2)
        return UsageError(console, "convert", "wants INPUT and OUTPUT, and nothing else");
    return ConvertFile(files[0], files[1], console);
}

int ConvertFile(const QString& input, const QString& output, const Console& console) {
    const QString inputName = InputName(input);
    InputKind kind = input == "-" ? InputKind::Unknown : KindOfInput(input);
    if (input != "-" && kind == InputKind::Unknown)
        return BadInput(console, input, "neither a capture file (.api) nor a data file (.csv)");
    QFile in;
    struct stat inputStatus {};
    if (const QString problem = OpenInput(input, in, inputStatus); !problem.isEmpty())
        return BadInput(console, inputName, problem);
    if (output != "-" && IsSameFile(output, inputStatus))
        return BadInput(console, output, "is the input file itself");
    // `convert app.csv - >> app.csv` would read its own lines for ever.
    struct stat standardOutput {};
    if (::fstat(STDOUT_FILENO, &standardOutput) == 0 && S_ISREG(standardOutput.st_mode) &&
        standardOutput.st_dev == inputStatus.st_dev && standardOutput.st_ino == inputStatus.st_ino &&
        (output == "-" || IsSameFile(output, standardOutput)))
        return BadInput(console, output == "-" ? QString("standard output") : output,
                        "is the input file itself");
    InputPieces pieces(in);
    if (kind == InputKind::Unknown) kind = KindOfContent(pieces.Peek());
    if (kind == InputKind::Unknown) return BadInput(console, inputName, "the file is empty");

    HeadlessProgram program(console);
    // A write that fails ends the conversion, with one message naming the output.
    program.EchoStatus(false);
    files::DataFileState& data = files::Files.data;
    ConvertOutput out(data.SaveOutputDataHandle);
    if (!out.Open(output))
        return BadInput(console, out.Name(), "cannot be written: " + out.ErrorText());
    data.SaveOutputDataFileName = output;

    Report report;
    const bool capture = kind == InputKind::Capture;
    const int status = capture ? ConvertCapture(pieces, inputName, console, report)
                               : ConvertDataFile(pieces, inputName, console, report);
    QString writeError = report.writeFailed ? data.SaveOutputDataHandle.ErrorText() : QString();
    bool kept = false;
    if (status == kExitOk && !report.writeFailed) {
        kept = out.Finish();
        if (!kept) writeError = out.ErrorText();
    } else {
        out.Abandon();
    }
    Program.OutputDataFileOpen = 0;
    if (status == kExitOk || report.lines != 0)
        PrintSummary(console, inputName, report, capture ? "frames" : "lines",
                     WrittenText(report, kept, out));
    if (!writeError.isEmpty()) return BadInput(console, out.Name(), "write failed: " + writeError);
    return status;
}

} // namespace undarix::cli
