#include "analysis/SpectrumExport.h"

#include "analysis/AnalysisState.h"
#include "analysis/codec/AnalysedStretch.h"
#include "analysis/codec/SpectrumCsv.h"
#include "ui/ExportToFile.h"
#include "ui/Popups.h"

#include <QSaveFile>

#include <string>
#include <vector>

namespace undarix::analysis {
namespace {

using codec::CsvNumber;

std::string Line(const char* name, double value) {
    return std::string(name) + ": " + CsvNumber(value);
}

// A result the run could not give (fewer than two crossings, no spectrum line) is named, not
// written as a number.
std::string Optional(const char* name, bool available, double value) {
    return available ? Line(name, value) : std::string(name) + ": none";
}

std::vector<std::string> Comments(const ShownSpectrum& shown) {
    const codec::SeriesResult& r = shown.result;
    const std::string warning = codec::ShortStretchWarning(r.count, shown.sampleRate, r.waves);
    std::vector<std::string> comments = {
        "Undarix spectrum",
        "Trace " + std::to_string(shown.trace + 1) + ", device " + std::to_string(shown.device) +
            ", " + std::to_string(shown.sampleRate) + " Hz",
        "Samples analysed: " + std::to_string(r.count) + ", " + shown.stretch.toStdString(),
        "Analysed: " + codec::AnalysedText(r.count, shown.sampleRate),
        "Options: " + shown.options.toStdString(),
        Line("Mean (m)", r.mean),
        Line("Hm0 (m)", r.hm0),
        Optional("Tp (s)", r.periods.available, r.periods.tp),
        Optional("Tm01 (s)", r.periods.available, r.periods.tm01),
        Optional("Tm02 (s)", r.periods.available, r.periods.tm02),
        r.waves.available ? "Waves: " + std::to_string(r.waves.waves) : "Waves: none",
        Optional("H1/3 (m)", r.waves.available, r.waves.h13),
        Optional("Hmax (m)", r.waves.available, r.waves.hmax),
        Line("df (Hz)", r.df),
    };
    if (!warning.empty()) comments.insert(comments.begin() + 4, "Warning: " + warning);
    return comments;
}

} // namespace

QString ExportSpectrumTo(const QString& path) {
    const ShownSpectrum& shown = Analysis.shown;
    if (!shown.valid) return "There is no spectrum to export: analyse a trace first.";
    const std::string csv =
        codec::SpectrumCsv(Comments(shown), shown.result.unit, Analysis.ConvertedSpectrum,
                           shown.shownBins, shown.result.df);
    // Written whole or not at all: an export cut short by a full disk leaves no torn file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv.data(), qint64(csv.size())) < 0 ||
        !file.commit())
        return QString("The file %1 could not be written: %2.").arg(path, file.errorString());
    return {};
}

void ExportSpectrum(ui::Event event) {
    if (event != ui::Event::Commit) return;
    ui::ExportToChosenFile({"Export Spectrum", "CSV files (*.csv)", "*.*", true}, "EXPORT SPECTRUM",
                           "Spectrum", ExportSpectrumTo);
}

} // namespace undarix::analysis
