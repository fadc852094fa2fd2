#include "analysis/codec/SpectrumCsv.h"

#include <charconv>
#include <cmath>

namespace undarix::analysis::codec {

std::string CsvNumber(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    if (error != std::errc()) return "nan";
    return std::string(text, end);
}

std::string SpectrumCsv(const std::vector<std::string>& comments, std::string_view unit,
                        const double* values, int count, double df) {
    std::string csv;
    csv.reserve(std::size_t(count > 0 ? count : 0) * 32 + 512);
    for (const std::string& comment : comments)
        csv += "# " + comment + "\r\n";
    csv += "Frequency (Hz),Value (";
    csv += unit;
    csv += ")\r\n";
    for (int k = 0; k < count; ++k) {
        csv += CsvNumber(k * df);
        csv += ',';
        csv += CsvNumber(values[k]);
        csv += "\r\n";
    }
    return csv;
}

} // namespace undarix::analysis::codec
