#include "analysis/codec/SeaStateFormat.h"

#include "analysis/codec/CalendarSeconds.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <variant>
#include <vector>

namespace undarix::analysis::codec {
namespace {

struct Real {
    std::optional<double> value;
    int decimals;
};
using FieldValue = std::variant<std::string, long long, Real, bool>;

struct Field {
    const char* name;
    FieldValue value;
    bool quoted = false; // a text in JSON
};

std::string FixedText(double value, int decimals) {
    char text[64];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    std::string printed(text, result.ptr);
    // No "-0.0000": a value that rounds to zero is zero.
    if (printed.find_first_not_of("-0.") == std::string::npos && printed[0] == '-')
        printed.erase(0, 1);
    return printed;
}

std::string AddressText(std::uint64_t address) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, address >>= 4)
        text[std::size_t(i)] = kHex[address & 0xF];
    return text;
}

Real Meters(bool available, double value) {
    return {available && std::isfinite(value) ? std::optional(value) : std::nullopt, 4};
}
Real Seconds(bool available, double value) {
    return {available && std::isfinite(value) ? std::optional(value) : std::nullopt, 3};
}

std::vector<Field> Fields(const SeaStateRecord& r) {
    char start[20];
    FormatIsoTime(r.start, start);
    const QcResult& q = r.qc;
    const SpectralPeriods& p = r.periods;
    const ZeroCrossingWaves& w = r.waves;
    const bool periods = r.analysed && p.available;
    const bool waves = r.analysed && w.available;
    return {
        {"device", (long long)r.deviceNumber},
        {"address", AddressText(r.address), true},
        {"start", std::string(start), true},
        {"interval_min", (long long)r.intervalMinutes},
        {"rate_hz", (long long)r.sampleRate},
        {"tide_filter", r.tideFilter},
        {"level_removed", r.levelRemoved},
        {"flag", std::string(QcFlagName(q.flag)), true},
        {"expected", (long long)q.expected},
        {"present", (long long)q.present},
        {"missing", (long long)q.missing},
        {"longest_gap", (long long)q.longestGap},
        {"gap_flag", std::string(QcFlagName(q.gapFlag)), true},
        {"out_of_range", (long long)q.outOfRange},
        {"range_flag", std::string(QcFlagName(q.rangeFlag)), true},
        {"flat", (long long)q.flatSamples},
        {"longest_flat", (long long)q.longestFlat},
        {"flat_flag", std::string(QcFlagName(q.flatFlag)), true},
        {"spikes", (long long)q.spikes},
        {"spike_flag", std::string(QcFlagName(q.spikeFlag)), true},
        {"mean_shift_m", Meters(true, q.meanShift)},
        {"shift_flag", std::string(QcFlagName(q.shiftFlag)), true},
        {"mean_m", Meters(r.levelKnown, r.mean)},
        {"level_change_m", Meters(r.levelKnown, r.levelChange)},
        {"analysed_s", Real{r.levelKnown ? std::optional(r.analysedSeconds) : std::nullopt, 1}},
        {"band_low_hz", Real{r.bandHigh > 0.0 ? std::optional(r.bandLow) : std::nullopt, 3}},
        {"band_high_hz", Real{r.bandHigh > 0.0 ? std::optional(r.bandHigh) : std::nullopt, 3}},
        {"hm0_m", Meters(r.analysed, r.hm0)},
        {"tp_s", Seconds(periods, p.tp)},
        {"tm01_s", Seconds(periods, p.tm01)},
        {"tm02_s", Seconds(periods, p.tm02)},
        {"tm_10_s", Seconds(periods, p.tmm10)},
        {"h1_3_m", Meters(waves, w.h13)},
        {"t1_3_s", Seconds(waves, w.t13)},
        {"hmax_m", Meters(waves, w.hmax)},
        {"tmax_s", Seconds(waves, w.tmax)},
        {"tz_s", Seconds(waves, w.tz)},
        {"waves", waves ? FieldValue((long long)w.waves) : FieldValue(Real{std::nullopt, 0})},
        {"bandwidth", Real{periods ? std::optional(p.bandwidth) : std::nullopt, 3}},
        {"df_hz", Real{r.analysed ? std::optional(r.df) : std::nullopt, 6}},
        {"segments", (long long)r.segments},
        {"dof", Real{r.analysed ? std::optional(r.degreesOfFreedom) : std::nullopt, 1}},
        {"no_waves_because", std::string(r.analysed ? "" : r.reason), true},
    };
}

// The value as CSV writes it; `json` gives null, true and false their JSON form.
std::string ValueText(const FieldValue& value, bool json) {
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* number = std::get_if<long long>(&value)) return std::to_string(*number);
    if (const auto* flag = std::get_if<bool>(&value))
        return json ? (*flag ? "true" : "false") : (*flag ? "1" : "0");
    const Real& real = std::get<Real>(value);
    if (!real.value) return json ? "null" : "";
    return FixedText(*real.value, real.decimals);
}

} // namespace

const std::string& SeaStateCsvHeader() {
    static const std::string header = [] {
        std::string line;
        for (const Field& field : Fields(SeaStateRecord{})) {
            if (!line.empty()) line += ',';
            line += field.name;
        }
        return line;
    }();
    return header;
}

std::string SeaStateCsvLine(const SeaStateRecord& record) {
    std::string line;
    bool first = true;
    for (const Field& field : Fields(record)) {
        if (!first) line += ',';
        first = false;
        line += ValueText(field.value, false);
    }
    return line;
}

std::vector<std::pair<std::string, std::string>> SeaStateFieldTexts(const SeaStateRecord& record) {
    std::vector<std::pair<std::string, std::string>> texts;
    for (const Field& field : Fields(record))
        texts.emplace_back(field.name, ValueText(field.value, false));
    return texts;
}

std::string SeaStateJsonLine(const SeaStateRecord& record) {
    std::string line = "{";
    bool first = true;
    for (const Field& field : Fields(record)) {
        if (!first) line += ',';
        first = false;
        line += '"';
        line += field.name;
        line += "\":";
        const std::string text = ValueText(field.value, true);
        if (field.quoted)
            line += '"' + text + '"';
        else
            line += text;
    }
    return line + '}';
}

} // namespace undarix::analysis::codec
