#include "cli/SeaStateOptions.h"

#include "cli/CommandLine.h"

#include <charconv>
#include <cmath>

namespace undarix::cli {

const char* const kSeaStateOptionsHelp =
    R"(  --tide                the tide filter (5th-order Bessel high-pass at 0.01 Hz) before the
                        statistics
  --keep-level          keep the slow level (tide, surge, drift): only the mean is taken off
                        before the statistics, and nothing below the band (default: a
                        parabola fitted over the interval is taken off, and what lies below
                        the band is kept out of the waves and Hm0; the record gives the
                        level and its change either way)
  --band LOW:HIGH       the wave band in Hz for the moments, Tp, Hm0 and the waves
                        (default 0.04:auto; auto is 1 Hz, or 4 x the peak frequency of a
                        sea above 0.25 Hz, at most the Nyquist frequency)
  --qc-spike SPREADS    spikes: samples further than SPREADS times the typical step between
                        neighbours from the median of the 7 around them (default 6), replaced
  --qc-flat SECONDS     flat line: this many seconds of identical values, and at least 10
                        samples (default 2)
  --qc-min-present PERCENT
                        a record with fewer samples present fails (default 90)
  --qc-range MIN:MAX    values outside MIN..MAX meters are taken out (default: no limits)
  --qc-shift METERS     a mean shift between the halves beyond this is suspect (default 0.5)
)";

namespace {

namespace acodec = analysis::codec;

// A number from an option's text, in the C locale's form whatever the user's.
std::optional<double> Number(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    double value = 0.0;
    const char* end = bytes.constData() + bytes.size();
    const auto result = std::from_chars(bytes.constData(), end, value);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

} // namespace

QList<QCommandLineOption> SeaStateOptions(const QString& intervalOption) {
    return {{intervalOption, "sea-state interval length", "MIN"},
            {"tide", "tide filter"},
            {"keep-level", "keep the slow level"},
            {"band", "wave band", "LOW:HIGH"},
            {"qc-spike", "spike limit", "SPREADS"},
            {"qc-flat", "flat line", "SECONDS"},
            {"qc-min-present", "least share present", "PERCENT"},
            {"qc-range", "range", "MIN:MAX"},
            {"qc-shift", "mean shift", "METERS"}};
}

std::optional<int> ReadSeaStateOptions(const QCommandLineParser& parser, const QString& command,
                                       const QString& intervalOption, const Console& console,
                                       acodec::SeaStateSettings& settings) {
    if (parser.isSet(intervalOption)) {
        bool ok = false;
        settings.intervalMinutes = parser.value(intervalOption).toInt(&ok);
        if (!ok || !acodec::IsValidIntervalMinutes(settings.intervalMinutes))
            return UsageError(console, command,
                              QString("--%1 wants 10, 20, 30 or 60 minutes, not '%2'")
                                  .arg(intervalOption, parser.value(intervalOption)));
    }
    settings.tideFilter = parser.isSet("tide");
    settings.removeSlowLevel = !parser.isSet("keep-level");
    if (parser.isSet("band")) {
        const QStringList edges = parser.value("band").split(':');
        const auto low = edges.size() == 2 ? Number(edges[0]) : std::nullopt;
        const bool automatic = edges.size() == 2 && edges[1].trimmed() == "auto";
        const auto high = automatic ? std::optional(0.0)
                                    : (edges.size() == 2 ? Number(edges[1]) : std::nullopt);
        if (!low || !high || *low <= 0.0 || (!automatic && *high <= *low))
            return UsageError(console, command,
                              QString("--band wants LOW:HIGH in Hz, LOW above 0 and below HIGH "
                                      "(or HIGH auto), not '%1'")
                                  .arg(parser.value("band")));
        settings.bandLowHz = *low;
        settings.bandHighHz = *high;
    }
    acodec::QcSettings& qc = settings.qc;
    const struct {
        const char* option;
        double low, high;
        double* target;
    } numbers[] = {{"qc-spike", 1.0, 100.0, &qc.spikeDeviations},
                   {"qc-flat", 0.0, 86400.0, &qc.flatSeconds},
                   {"qc-min-present", 0.0, 100.0, &qc.minPresentPercent},
                   {"qc-shift", 0.0, 1000.0, &qc.meanShiftLimit}};
    for (const auto& n : numbers) {
        if (!parser.isSet(n.option)) continue;
        const std::optional<double> value = Number(parser.value(n.option));
        if (!value || *value < n.low || *value > n.high)
            return UsageError(console, command,
                              QString("--%1 wants a number from %2 to %3, not '%4'")
                                  .arg(n.option)
                                  .arg(n.low)
                                  .arg(n.high)
                                  .arg(parser.value(n.option)));
        *n.target = *value;
    }
    if (parser.isSet("qc-range")) {
        const QStringList limits = parser.value("qc-range").split(':');
        const auto low = limits.size() == 2 ? Number(limits[0]) : std::nullopt;
        const auto high = limits.size() == 2 ? Number(limits[1]) : std::nullopt;
        if (!low || !high || *low >= *high)
            return UsageError(console, command,
                              QString("--qc-range wants MIN:MAX in meters, MIN below MAX, not "
                                      "'%1'")
                                  .arg(parser.value("qc-range")));
        qc.rangeLow = *low;
        qc.rangeHigh = *high;
    }
    return std::nullopt;
}

} // namespace undarix::cli
