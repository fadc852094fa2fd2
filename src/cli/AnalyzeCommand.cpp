#include "cli/AnalyzeCommand.h"

#include "analysis/Analysis.h"
#include "analysis/AnalysisState.h"
#include "analysis/SpectralAnalysis.h"
#include "analysis/codec/AnalysedStretch.h"
#include "analysis/codec/SeriesAnalysis.h"
#include "chart/ChartFifo.h"
#include "chart/PlotPageRoles.h"
#include "chart/TracePlotting.h"
#include "cli/CommandLine.h"
#include "cli/HeadlessProgram.h"
#include "cli/InputFile.h"
#include "core/Hooks.h"
#include "core/ProgramState.h"
#include "files/Playback.h"
#include "live/DeviceTable.h"
#include "ui/Controls.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <limits>
#include <optional>
#include <string_view>

namespace undarix::cli {

const char* const kAnalyzeHelp =
    R"(Usage: undarix-cli analyze INPUT --device N [--from SECONDS] [--to SECONDS] [--tide]
                           [--window NAME] [--units power|rms|peak|psd|asd] [--db] [--json]

Analyses the samples of one unit exactly as the program's analysis page does.

  INPUT, a capture file (.api) or a data file (.csv), is played back through the program's
  own playback, dispatcher and chart. The samples of device N are placed as the chart places
  a trace: from the unit's first record on, by time stamp and sample rate, at most 55,296
  points (the chart stops when they are full). Points without a sample (a missing packet)
  are skipped, as the analysis page skips them.

Options:
  --device N        the unit's device number, 1 to 255 (required)
  --from SECONDS    start of the stretch to analyse, in seconds after the unit's first
                    record; default 0
  --to SECONDS      end of the stretch (not included); default: every point placed.
                    Both are taken in whole seconds, as the chart's cursors are.
  --tide            tide filter: 5th-order Bessel high-pass at 0.01 Hz before Hm0 and the
                    spectrum
  --window NAME     window of the spectrum: uniform, hanning (default), hamming,
                    blackman-harris, exact-blackman, blackman, flat-top, blackman-harris-4
  --units UNIT      unit of the spectrum: power (M^2 rms), rms (M rms), peak (M peak),
                    psd (M^2/Hz, default), asd (M rms/sqrt(Hz))
  --db              the spectrum in decibels
  --json            one JSON object on standard output: the results below and the arrays
                    "frequency" (Hz) and "spectrum" (n / 2 bins, from 0 Hz in steps of df)

Prints the mean level (m), Hm0 = 4 standard deviations (m), the peak period Tp and the mean
periods Tm01 and Tm02 (s), the number of zero down-crossing waves, H1/3 and Hmax (m), the
number of samples analysed n with the seconds they span, and the spectrum's bin width df
(Hz). A value that cannot be had (fewer than two down-crossings, a flat level) is shown as
"-" (null in JSON). A stretch under 2 minutes or with fewer than 20 waves is too short to
mean a wave height: a "note" line says so (JSON: "warning"; null when long enough).

Exit status: 0 success, 1 bad input (unreadable, no samples of the unit in the stretch),
2 usage error.
)";

namespace {

using core::Program;
namespace acodec = analysis::codec;

// A time scale at which every trace holds the most points it can (16 s x 3456 x 1 Hz).
constexpr int kFullTimeScale = chart::kTracePoints / 16;
constexpr qint64 kChunk = 64 * 1024;

struct Choice {
    std::string_view name;
    int code;
};

constexpr std::array<Choice, 9> kWindows{{{"uniform", acodec::kUniformWindow},
                                          {"hanning", acodec::kHanningWindow},
                                          {"hamming", acodec::kHammingWindow},
                                          {"blackman-harris", acodec::kBlackmanHarrisWindow},
                                          {"exact-blackman", acodec::kExactBlackmanWindow},
                                          {"blackman", acodec::kBlackmanWindow},
                                          {"flat-top", acodec::kFlatTopWindow},
                                          {"blackman-harris-4", acodec::kBlackmanHarris4Window},
                                          {"4-term-b-harris", acodec::kBlackmanHarris4Window}}};

constexpr std::array<Choice, 5> kUnits{{{"power", acodec::kPowerRms},
                                        {"rms", acodec::kAmplitudeRms},
                                        {"peak", acodec::kAmplitudePeak},
                                        {"psd", acodec::kPowerSpectralDensity},
                                        {"asd", acodec::kAmplitudeSpectralDensity}}};

template <std::size_t N>
std::optional<int> Choose(const std::array<Choice, N>& choices, const QString& text) {
    // The names as the analysis page shows them ("Flat Top") are taken too.
    const QByteArray name = text.trimmed().toLower().replace(' ', '-').toLatin1();
    for (const Choice& choice : choices)
        if (choice.name == std::string_view(name.constData(), std::size_t(name.size())))
            return choice.code;
    return std::nullopt;
}

struct Request {
    QString input;
    int device = 0;
    std::optional<double> from;
    std::optional<double> to;
    acodec::SeriesOptions series;
    bool json = false;
};

// Binds trace 1 to the unit when the unit is first plotted, as a user sets the trace's device
// number once the unit is in the table; the chart then starts at that record.
struct TraceBinding {
    int device = 0;
    bool bound = false;

    void Plotting(int slot) {
        if (bound || live::OutputLine[std::size_t(slot)].deviceNumber != device) return;
        ui::SetInt(ui::ArrayItemName(chart::roles::TraceSelectArray, 0), device);
        chart::ChartReset();
        bound = true;
    }
};

// Plays the file through the chart until the unit's trace is full or the file ends.
int PlaceSamples(QFile& in, const Request& request, InputKind kind, TraceBinding& binding,
                 const Console& console) {
    Program.DataSource = core::kSourceFile;
    Program.OpenFileType = kind == InputKind::Capture ? 1 : 2;
    Program.FileOpen = 1;
    Program.StopWhenFull = 1;
    ui::SetInt(chart::roles::StopWhenFull, 1);
    ui::SetInt(chart::roles::RawPlotXAsis, kFullTimeScale);
    core::hooks.PlotData = [&binding](int slot) {
        binding.Plotting(slot);
        chart::PlotData(slot);
    };
    core::hooks.PlotContData = [&binding](int slot) {
        binding.Plotting(slot);
        chart::PlotContData(slot);
    };
    Program.PlottingRunning = 1;

    char chunk[kChunk];
    bool first = true;
    while (Program.PlottingRunning) {
        const qint64 count = in.read(chunk, kChunk);
        if (count < 0) return BadInput(console, request.input, "read error: " + in.errorString());
        if (count == 0) break;
        if (first && kind == InputKind::DataFile && chunk[0] == 'Y')
            return BadInput(console, request.input,
                            "a Deve Zuravi flash-card file that was not converted; make a "
                            "Davav60 file of it with the TALQConvert program first");
        first = false;
        files::FeedPlaybackBytes(reinterpret_cast<const std::uint8_t*>(chunk), std::size_t(count));
    }
    return kExitOk;
}

QJsonValue Optional(bool available, double value) {
    return available ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
}

QString Text(bool available, double value, int decimals, const char* unit) {
    return available ? QString("%1 %2").arg(value, 0, 'f', decimals).arg(unit) : QString("-");
}

void PrintJson(const Request& request, int rate, const acodec::SeriesResult& result,
               const Console& console) {
    QJsonObject object;
    object["device"] = request.device;
    object["sampleRate"] = rate;
    object["n"] = result.count;
    object["seconds"] = rate > 0 ? double(result.count) / rate : 0.0;
    const std::string warning = acodec::ShortStretchWarning(result.count, rate, result.waves);
    object["warning"] = warning.empty() ? QJsonValue() : QJsonValue(QString::fromStdString(warning));
    object["df"] = result.df;
    object["mean"] = result.mean;
    object["hm0"] = result.hm0;
    object["tp"] = Optional(result.periods.available, result.periods.tp);
    object["tm01"] = Optional(result.periods.available, result.periods.tm01);
    object["tm02"] = Optional(result.periods.available, result.periods.tm02);
    object["waves"] = result.waves.available ? QJsonValue(result.waves.waves) : QJsonValue();
    object["h13"] = Optional(result.waves.available, result.waves.h13);
    object["hmax"] = Optional(result.waves.available, result.waves.hmax);
    object["unit"] = QString::fromStdString(result.unit);
    QJsonArray frequency, spectrum;
    const double* converted = analysis::Analysis.ConvertedSpectrum;
    for (int k = 0; k < result.spectrumCount; ++k) {
        frequency.append(k * result.df);
        spectrum.append(converted[k]);
    }
    object["frequency"] = frequency;
    object["spectrum"] = spectrum;
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    console.Out(std::string_view(json.constData(), std::size_t(json.size())));
}

void PrintText(const Request& request, int rate, const acodec::SeriesResult& result,
               const Console& console) {
    const acodec::SpectralPeriods& periods = result.periods;
    const acodec::ZeroCrossingWaves& waves = result.waves;
    const auto line = [&console](const char* name, const QString& value) {
        console.OutLine(QString("%1 %2").arg(name, -6).arg(value));
    };
    line("device", QString::number(request.device));
    line("rate", QString("%1 Hz").arg(rate));
    line("n", QString::fromStdString(acodec::AnalysedText(result.count, rate)));
    line("df", result.spectrumCount > 0 ? QString("%1 Hz").arg(result.df, 0, 'g', 6) : "-");
    line("mean", Text(true, result.mean, 4, "m"));
    line("Hm0", Text(true, result.hm0, 4, "m"));
    line("Tp", Text(periods.available, periods.tp, 3, "s"));
    line("Tm01", Text(periods.available, periods.tm01, 3, "s"));
    line("Tm02", Text(periods.available, periods.tm02, 3, "s"));
    line("waves", waves.available ? QString::number(waves.waves) : QString("-"));
    line("H1/3", Text(waves.available, waves.h13, 4, "m"));
    line("Hmax", Text(waves.available, waves.hmax, 4, "m"));
    const std::string warning = acodec::ShortStretchWarning(result.count, rate, waves);
    if (!warning.empty()) line("note", QString::fromStdString(warning));
}

int RunAnalysis(const Request& request, const Console& console) {
    const InputKind kind = KindOfInput(request.input);
    if (kind == InputKind::Unknown)
        return BadInput(console, request.input,
                        "neither a capture file (.api) nor a data file (.csv)");
    QFile in;
    struct stat status {};
    if (const QString problem = OpenInput(request.input, in, status); !problem.isEmpty())
        return BadInput(console, request.input, problem);

    HeadlessProgram program(console);
    TraceBinding binding{request.device};
    if (const int status = PlaceSamples(in, request, kind, binding, console); status != kExitOk)
        return status;
    if (!binding.bound)
        return BadInput(console, request.input,
                        QString("no samples of device %1").arg(request.device));

    const int trace = 0;
    chart::Trace& fifo = chart::ChartFifo[trace];
    const bool stretch = request.from || request.to;
    const analysis::PointRange range =
        analysis::AnalysisRange(trace, stretch, request.from.value_or(0.0),
                                request.to.value_or(std::numeric_limits<double>::infinity()));
    const int n = acodec::PackSamples(fifo.values, range.start, range.end, fifo.analysisWork);
    if (n == 0)
        return BadInput(
            console, request.input,
            QString("device %1 has no samples in the chosen stretch").arg(request.device));

    acodec::SeriesOptions options = request.series;
    options.sampleRate = fifo.sampleRate;
    const acodec::SeriesResult result =
        acodec::AnalyzeSeries(fifo.analysisWork, n, options, analysis::Analysis.PowerSpectrum,
                              analysis::Analysis.ConvertedSpectrum);
    if (request.json)
        PrintJson(request, fifo.sampleRate, result, console);
    else
        PrintText(request, fifo.sampleRate, result, console);
    if (result.status != acodec::kAnalysisOk)
        return BadInput(console, request.input,
                        QString("the spectrum of device %1 could not be computed (code %2)")
                            .arg(request.device)
                            .arg(result.status));
    return kExitOk;
}

} // namespace

int Analyze(const QStringList& arguments, const Console& console) {
    const QString command = "analyze";
    QCommandLineParser parser;
    parser.addPositionalArgument("INPUT", "capture file (.api) or data file (.csv)");
    parser.addOptions({{"device", "device number", "N"},
                       {"from", "start (s)", "SECONDS"},
                       {"to", "end (s)", "SECONDS"},
                       {"tide", "tide filter"},
                       {"window", "window", "NAME"},
                       {"units", "spectrum unit", "UNIT"},
                       {"db", "decibels"},
                       {"json", "JSON output"}});
    if (auto status = ParseCommandLine(parser, arguments, command, kAnalyzeHelp, console))
        return *status;

    Request request;
    const QStringList inputs = parser.positionalArguments();
    if (inputs.size() != 1) return UsageError(console, command, "wants exactly one INPUT file");
    request.input = inputs[0];
    if (!parser.isSet("device")) return UsageError(console, command, "--device N is required");
    bool ok = false;
    request.device = parser.value("device").toInt(&ok);
    if (!ok || request.device < 1 || request.device > 255)
        return UsageError(
            console, command,
            QString("--device wants a number from 1 to 255, not '%1'").arg(parser.value("device")));
    int status = kExitOk;
    if (parser.isSet("from") &&
        !(request.from = RealOption(parser, "from", command, console, status)))
        return status;
    if (parser.isSet("to") && !(request.to = RealOption(parser, "to", command, console, status)))
        return status;
    if (request.from && request.to && *request.from >= *request.to)
        return UsageError(console, command, "--from must come before --to");
    if (parser.isSet("window")) {
        const std::optional<int> window = Choose(kWindows, parser.value("window"));
        if (!window)
            return UsageError(console, command,
                              QString("unknown window '%1'").arg(parser.value("window")));
        request.series.windowType = *window;
    }
    if (parser.isSet("units")) {
        const std::optional<int> unit = Choose(kUnits, parser.value("units"));
        if (!unit)
            return UsageError(console, command,
                              QString("unknown unit '%1' (power, rms, peak, psd or asd)")
                                  .arg(parser.value("units")));
        request.series.displayUnit = *unit;
    }
    request.series.scaling = parser.isSet("db") ? acodec::kDecibelScaling : acodec::kLinearScaling;
    request.series.tideFilter = parser.isSet("tide");
    request.json = parser.isSet("json");
    return RunAnalysis(request, console);
}

} // namespace undarix::cli
