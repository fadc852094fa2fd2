// Export Spectrum: the spectrum on the graph as frequency and value lines, the unit in the
// header, the results as comment lines, and numbers that read the same under any locale.

#include "analysis/SpectrumExport.h"
#include "analysis/AnalysisRoles.h"
#include "analysis/AnalysisState.h"
#include "analysis/SpectrumGraphs.h"
#include "analysis/codec/SpectrumCsv.h"
#include "chart/ChartFifo.h"
#include "chart/PlotPageRoles.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <QFile>
#include <QTemporaryDir>
#include <qcustomplot.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace undarix::testing {
namespace {

using namespace analysis;
using Status = ui::FileSelection::Status;

TEST(CsvNumber, IsTheShortestTextThatReadsBackExactly) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "0"},
        {3.0, "3"},
        {0.1, "0.1"},
        {-2.5, "-2.5"},
        {1e-30, "1e-30"},
        {0.015625, "0.015625"},
        {123456.789, "123456.789"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(codec::CsvNumber(c.value), c.text);
    // Whatever the digits, they read back as the same double (read as other programs read
    // them: without the locale).
    for (double value : {1.0 / 3.0, 2.0 / 7.0 * 1e-7, 6.02214076e23}) {
        const std::string text = codec::CsvNumber(value);
        double back = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        EXPECT_EQ(back, value) << text;
    }
}

class SpectrumExportTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }

    // Trace 2 of unit 12 at 8 Hz holding a swell of period 8 s and amplitude 0.5 m.
    static void AnalyzeASwell() {
        chart::Trace& trace = chart::ChartFifo[1];
        trace.deviceNumber = 12;
        trace.sampleRate = 8;
        trace.capacity = float(chart::kTracePoints);
        trace.writeIndex = 2048;
        for (int i = 0; i < chart::kTracePoints; ++i)
            trace.values[i] = i < 2048 ? 1.0 + 0.5 * std::sin(2.0 * 3.141592653589793 * i / 64.0)
                                       : chart::kNoSample;
        ui::SetInt(ui::ArrayItemName(chart::roles::TraceSelectArray, 1), 12);
        ui::SetInt(roles::TraceSelect, 2);
        ui::Dispatch(roles::TraceSelect, ui::Event::Commit);
        ui::SetInt(roles::AnalyzeButton, 1);
        ui::Dispatch(roles::AnalyzeButton, ui::Event::Commit);
    }

    void Export(const QString& typed) {
        popups->ExpectFile("Export Spectrum", {Status::NewFile, dir.filePath(typed)});
        ui::Dispatch(roles::ExportSpectrumButton, ui::Event::Commit);
    }

    static QStringList Lines(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromLatin1(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    }

    static double Number(const QString& text) {
        const QByteArray bytes = text.toLatin1();
        double value = 0.0;
        const auto [end, error] =
            std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), value);
        EXPECT_TRUE(error == std::errc() && end == bytes.constData() + bytes.size())
            << text.toStdString();
        return value;
    }

    QTemporaryDir dir;
};

TEST_F(SpectrumExportTest, TheRowsAreTheSpectrumOnTheGraph) {
    AnalyzeASwell();
    const int graph = GraphForRange(1.0); // 8 Hz / 8
    auto* plot = ui::Widget<QCustomPlot>(SpectrumGraphRole(graph));
    ASSERT_EQ(plot->graphCount(), 1);
    const QSharedPointer<QCPGraphDataContainer> shown = plot->graph(0)->data();

    Export("swell");
    const QStringList lines = Lines(dir.filePath("swell.csv"));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(ui::LastStatus(), "Spectrum exported to " + dir.filePath("swell.csv"));

    int header = 0;
    while (header < lines.size() && lines[header].startsWith("# "))
        ++header;
    ASSERT_LT(header, lines.size());
    EXPECT_EQ(lines[header], "Frequency (Hz),Value (" + ui::GetText(roles::UnitText) + ")");
    ASSERT_EQ(lines.size() - header - 1, shown->size());
    for (int k = 0; k < shown->size(); ++k) {
        const QStringList fields = lines[header + 1 + k].split(',');
        ASSERT_EQ(fields.size(), 2) << "row " << k << ": " << lines[header + 1 + k].toStdString();
        EXPECT_EQ(Number(fields[0]), shown->at(k)->key) << "row " << k;
        EXPECT_EQ(Number(fields[1]), shown->at(k)->value) << "row " << k;
    }
}

TEST_F(SpectrumExportTest, TheResultsStandAsCommentLines) {
    AnalyzeASwell();
    Export("swell.csv");
    const QStringList lines = Lines(dir.filePath("swell.csv"));
    const ShownSpectrum& run = Analysis.shown;
    struct Case {
        const char* name;
        double value;
    };
    const Case cases[] = {{"Mean (m)", run.result.mean},
                          {"Hm0 (m)", run.result.hm0},
                          {"Tp (s)", run.result.periods.tp},
                          {"df (Hz)", run.result.df}};
    for (const Case& c : cases) {
        const QString prefix = QString("# %1: ").arg(c.name);
        const QStringList found =
            lines.filter(QRegularExpression("^" + QRegularExpression::escape(prefix)));
        ASSERT_EQ(found.size(), 1) << c.name;
        EXPECT_EQ(Number(found.front().mid(prefix.size())), c.value) << c.name;
    }
    EXPECT_NEAR(run.result.hm0, 4.0 * 0.5 / std::sqrt(2.0),
                0.01); // a sine of amplitude a: 4a/sqrt2
    EXPECT_NEAR(run.result.periods.tp, 8.0, 0.01);
    EXPECT_TRUE(lines.contains("# Trace 2, device 12, 8 Hz"));
    EXPECT_TRUE(lines.contains("# Samples analysed: 2048, all points plotted (points 0 to 2047)"));
}

TEST_F(SpectrumExportTest, OnlyAShownSpectrumCanBeExported) {
    EXPECT_TRUE(ui::IsDimmed(roles::ExportSpectrumButton));
    EXPECT_FALSE(ExportSpectrumTo(dir.filePath("none.csv")).isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("none.csv")));

    AnalyzeASwell();
    EXPECT_FALSE(ui::IsDimmed(roles::ExportSpectrumButton));
    // Another trace chosen: its graph is emptied, and so is what there is to export.
    ui::SetInt(roles::TraceSelect, 1);
    ui::Dispatch(roles::TraceSelect, ui::Event::Commit);
    EXPECT_TRUE(ui::IsDimmed(roles::ExportSpectrumButton));
    EXPECT_FALSE(ExportSpectrumTo(dir.filePath("none.csv")).isEmpty());
}

TEST_F(SpectrumExportTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    AnalyzeASwell();
    QFile old(dir.filePath("swell.csv"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    for (bool replace : {false, true}) {
        popups->ExpectFile("Export Spectrum", {Status::ExistingFile, dir.filePath("swell.csv")});
        popups->ExpectConfirm("Confirm Save File", replace);
        ui::Dispatch(roles::ExportSpectrumButton, ui::Event::Commit);
        EXPECT_EQ(Lines(dir.filePath("swell.csv")).front() != "old", replace);
    }
}

} // namespace
} // namespace undarix::testing
