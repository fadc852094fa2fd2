// The analysis run on the real analysis page: which samples a run takes, which graph it
// draws on, what the read-outs show, and how the options mark the results stale.

#include "analysis/AnalysisRoles.h"
#include "analysis/AnalysisState.h"
#include "analysis/SpectralAnalysis.h"
#include "analysis/SpectrumExport.h"
#include "analysis/SpectrumGraphs.h"
#include "analysis/codec/SeriesAnalysis.h"
#include "chart/ChartFifo.h"
#include "chart/PlotPageRoles.h"
#include "core/PanelRoles.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <QFile>
#include <QTemporaryDir>
#include <qcustomplot.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>

namespace undarix::testing {
namespace {

using namespace analysis;
using chart::ChartFifo;
constexpr double kPi = std::numbers::pi;

class AnalysisRunTest : public PanelTest {
public:
    // Trace t (0 to 7) of unit `unit` at `rate`, holding `count` points from `level(i)`.
    void FillTrace(int t, int unit, int rate, int count, const std::function<double(int)>& level,
                   int capacity = chart::kTracePoints) {
        chart::Trace& trace = ChartFifo[t];
        trace.deviceNumber = std::uint8_t(unit);
        trace.sampleRate = std::uint8_t(rate);
        trace.capacity = float(capacity);
        trace.writeIndex = count;
        for (int i = 0; i < chart::kTracePoints; ++i)
            trace.values[i] = i < count ? level(i) : chart::kNoSample;
        ui::SetInt(ui::ArrayItemName(chart::roles::TraceSelectArray, t), unit);
    }

    static void Select(int selection) {
        ui::SetInt(roles::TraceSelect, selection);
        ui::Dispatch(roles::TraceSelect, ui::Event::Commit);
    }

    static void Analyze() {
        ui::SetInt(roles::AnalyzeButton, 1);
        ui::Dispatch(roles::AnalyzeButton, ui::Event::Commit);
    }

    static void UseCursors(double left, double right) {
        ui::SetInt(roles::CursorSwitch, 1);
        ui::SetReal(chart::roles::LeftXAxis, left);
        ui::SetReal(chart::roles::RightXAxis, right);
    }

    static QCustomPlot* Graph(int i) { return ui::Widget<QCustomPlot>(SpectrumGraphRole(i)); }

    static int ShownGraph() {
        int shown = kNoGraph;
        for (int i = 0; i < kSpectrumGraphCount; ++i)
            if (ui::IsVisible(SpectrumGraphRole(i))) {
                EXPECT_EQ(shown, kNoGraph) << "two graphs shown";
                shown = i;
            }
        return shown;
    }

    static int DrawnPoints(int graph) {
        QCustomPlot* plot = Graph(graph);
        return plot->graphCount() == 0 ? -1 : plot->graph(0)->dataCount();
    }

    static double Hm0() { return ui::GetReal(roles::SignifWaveHeight); }
};

TEST_F(AnalysisRunTest, FrequencyRangeChoosesTheGraphAndTheFirstQuarterIsDrawn) {
    struct Case {
        int rate;
        double range; // 0 = automatic: rate / 8
        int graph;
    };
    const Case cases[] = {
        {32, 0.0, 4}, {8, 0.0, 2},          {2, 0.0, 0},         {4, 0.0, 1},
        {16, 0.0, 3}, {32, 0.25, 0},        {32, 0.3, 1},        {32, 2.0, 3},
        {32, 4.0, 4}, {32, 4.01, kNoGraph}, {64, 0.0, kNoGraph}, // 8 Hz
    };
    for (const Case& c : cases) {
        const int n = 40 * c.rate;
        FillTrace(2, 17, c.rate, n, [&](int i) { return std::sin(2 * kPi * 0.2 * i / c.rate); });
        Select(3);
        ui::SetReal(roles::FrequencyRange, c.range);
        Analyze();
        EXPECT_EQ(ShownGraph(), c.graph) << c.rate << " Hz, range " << c.range;
        EXPECT_GT(Hm0(), 0.0); // shown even with no graph
        for (int g = 0; g < kSpectrumGraphCount; ++g) {
            const int expected = g == c.graph ? n / 4 : -1;
            EXPECT_EQ(DrawnPoints(g), expected) << c.rate << " Hz, graph " << g;
        }
        if (c.graph == kNoGraph) continue;
        const QCPGraph* line = Graph(c.graph)->graph(0);
        const double df = double(c.rate) / n;
        EXPECT_DOUBLE_EQ(line->data()->at(0)->key, 0.0);
        EXPECT_NEAR(line->data()->at(n / 4 - 1)->key, (n / 4 - 1) * df, 1e-12);
        EXPECT_EQ(line->pen().color(), QColor(0, 255, 0)); // trace 3's analysis colour
    }
}

TEST_F(AnalysisRunTest, CursorsTakeWholeSecondsInEitherOrderAndAreHeldInsideTheTrace) {
    struct Case {
        double left, right;
        int capacity;
        int first, end; // the points expected: values are the point numbers
    };
    const Case cases[] = {
        {12.7, 3.2, 512, 96, 384}, // 3 x 32 to 12 x 32, end excluded
        {3.2, 12.7, 512, 96, 384},        {3.9, 4.1, 512, 96, 128},
        {2.0, 3000.0, 512, 64, 512},  // beyond the capacity
        {-5.0, 1.5, 512, 0, 32},      // before the start
        {0.0, 1e12, 55296, 0, 55296}, // far beyond the arrays
        {1e300, -1e300, 55296, 0, 55296},
    };
    for (const Case& c : cases) {
        FillTrace(
            0, 5, 32, chart::kTracePoints, [](int i) { return double(i); }, c.capacity);
        Select(1);
        UseCursors(c.left, c.right);
        const PointRange range = AnalysisRange(0, true, c.left, c.right);
        EXPECT_EQ(range.start, c.first) << c.left << " " << c.right;
        EXPECT_EQ(range.end, c.end) << c.left << " " << c.right;
        Analyze();
        EXPECT_DOUBLE_EQ(ui::GetReal(roles::Mean), (c.first + c.end - 1) / 2.0)
            << c.left << " " << c.right;
    }
}

TEST_F(AnalysisRunTest, TheStretchAnalysedStandsBesideTheFiguresWithAWarningWhenShort) {
    struct Case {
        int rate, count;
        double period;
        const char* analysed;
        const char* warning; // empty: none
    };
    const Case cases[] = {
        {32, 21, 8.0, "21 samples, 0.7 s", "Too short for a wave height: 0.7 s and no whole wave"},
        {8, 2048, 8.0, "2048 samples, 256.0 s", ""},
        {1, 100, 4.0, "100 samples, 100.0 s", "Too short for a wave height: 100.0 s and 24 waves"},
        {4, 600, 16.0, "600 samples, 150.0 s", "Too short for a wave height: 150.0 s and 8 waves"},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.analysed);
        FillTrace(0, 5, c.rate, c.count, [&](int i) {
            return 2.0 + 0.5 * std::sin(2 * kPi * i / (c.rate * c.period));
        });
        Select(1);
        ui::SetInt(roles::CursorSwitch, 0);
        Analyze();
        EXPECT_EQ(ui::GetText(roles::Analysed).toStdString(), c.analysed);
        const std::string warning = ui::GetText(roles::ShortWarning).toStdString();
        EXPECT_EQ(warning.rfind(c.warning, 0), 0u) << warning;
        EXPECT_EQ(warning.empty(), *c.warning == 0) << warning;
        EXPECT_GT(Hm0(), 0.0); // the figures stay as computed

        const QString path = dir.filePath("spectrum.csv");
        ASSERT_TRUE(ExportSpectrumTo(path).isEmpty());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const std::string csv = file.readAll().toStdString();
        EXPECT_NE(csv.find(std::string("# Analysed: ") + c.analysed + "\r\n"), std::string::npos);
        EXPECT_EQ(csv.find("# Warning: " + warning + "\r\n") != std::string::npos, !warning.empty());
    }
}

TEST_F(AnalysisRunTest, WithoutCursorsTakesThePointsUpToTheWriteIndex) {
    FillTrace(
        1, 9, 8, 1000, [](int i) { return i < 100 ? 1.0 : 3.0; }, 4096);
    Select(2);
    ui::SetInt(roles::CursorSwitch, 0);
    ChartFifo[1].writeIndex = 100;
    Analyze();
    EXPECT_DOUBLE_EQ(ui::GetReal(roles::Mean), 1.0);
    // A write index past what the trace holds is held to its capacity.
    ChartFifo[1].writeIndex = 1'000'000;
    Analyze();
    EXPECT_NEAR(ui::GetReal(roles::Mean), (100 * 1.0 + 900 * 3.0) / 1000, 1e-12);
}

TEST_F(AnalysisRunTest, MissingPointsAreLeftOutAndTheRestAnalysedInARow) {
    // A sine with every tenth point missing, and a block of a missing second.
    const int rate = 16, n = 1600;
    auto wave = [&](int i) { return 1.0 + 0.5 * std::sin(2 * kPi * 0.25 * i / rate); };
    FillTrace(4, 33, rate, n, [&](int i) {
        return (i % 10 == 3 || (i >= 400 && i < 416)) ? chart::kNoSample : wave(i);
    });
    Select(5);
    Analyze();
    std::vector<double> packed;
    for (int i = 0; i < n; ++i)
        if (ChartFifo[4].values[i] != chart::kNoSample) packed.push_back(ChartFifo[4].values[i]);
    double mean = 0;
    for (double v : packed)
        mean += v / packed.size();
    double variance = 0;
    for (double v : packed)
        variance += (v - mean) * (v - mean) / packed.size();
    EXPECT_NEAR(ui::GetReal(roles::Mean), mean, 1e-4); // as shown, to 0.1 mm
    EXPECT_NEAR(Hm0(), 4 * std::sqrt(variance), 1e-4);
    EXPECT_EQ(DrawnPoints(ShownGraph()), int(packed.size()) / 4);
}

TEST_F(AnalysisRunTest, ConstantLevelHasNoWavesAndItsLevelAsMean) {
    FillTrace(3, 12, 4, 2000, [](int) { return 2.345; });
    Select(4);
    for (int filter : {0, 1}) {
        ui::SetInt(roles::TideFilterSwitch, filter);
        Analyze();
        EXPECT_DOUBLE_EQ(ui::GetReal(roles::Mean), 2.345);
        EXPECT_NEAR(Hm0(), 0.0, 1e-12);
        for (ui::Role blank : {roles::PeakPeriod, roles::MeanPeriodTm01, roles::MeanPeriodTm02,
                               roles::WaveCount, roles::WaveHeightThird, roles::WaveHeightMax})
            EXPECT_EQ(ui::GetText(blank), "") << blank; // not available, not 0
    }
}

TEST_F(AnalysisRunTest, TideFilterKeepsASlowRampOutOfHm0) {
    // Waves of Hm0 1 m (a 0.125 Hz sine of amplitude sqrt(2) / 4) on a 2 m rise over 30 min.
    const int rate = 8, n = 1800 * rate;
    FillTrace(0, 1, rate, n, [&](int i) {
        return 1.0 + 2.0 * i / n + std::sqrt(2.0) / 4 * std::sin(2 * kPi * 0.125 * i / rate);
    });
    Select(1);
    ui::SetInt(roles::TideFilterSwitch, 0);
    Analyze();
    const double unfiltered = Hm0();
    ui::SetInt(roles::TideFilterSwitch, 1);
    Analyze();
    const double filtered = Hm0();
    EXPECT_GT(unfiltered, 2.0);
    EXPECT_NEAR(filtered, 1.0, 0.05);
    // The waves are counted on the filtered series: 225 periods of 8 s.
    EXPECT_NEAR(ui::GetInt(roles::WaveCount), 224, 2);
    EXPECT_NEAR(ui::GetReal(roles::WaveHeightThird), std::sqrt(2.0) / 2, 0.02);
    // The run works on the stored values and writes nothing back to the chart.
    EXPECT_DOUBLE_EQ(ChartFifo[0].values[n - 1],
                     1.0 + 2.0 * (n - 1) / n +
                         std::sqrt(2.0) / 4 * std::sin(2 * kPi * 0.125 * (n - 1) / rate));
}

TEST_F(AnalysisRunTest, PureSineGivesPeriodsOfEightSecondsAndTwiceItsAmplitude) {
    const int rate = 4, n = 4096;
    FillTrace(6, 40, rate, n,
              [&](int i) { return 0.3 + 0.6 * std::sin(2 * kPi * 0.125 * i / rate); });
    Select(7);
    ui::SetInt(roles::WindowSelect, 1); // the periods do not depend on the window
    Analyze();
    const double bin = 8.0 * 8.0 * rate / n;
    EXPECT_NEAR(ui::GetReal(roles::PeakPeriod), 8.0, bin);
    EXPECT_NEAR(ui::GetReal(roles::MeanPeriodTm01), 8.0, bin);
    EXPECT_NEAR(ui::GetReal(roles::MeanPeriodTm02), 8.0, bin);
    EXPECT_NEAR(ui::GetReal(roles::WaveHeightThird), 1.2, 1e-4);
    EXPECT_NEAR(ui::GetReal(roles::WaveHeightMax), 1.2, 1e-4);
    EXPECT_EQ(ui::GetInt(roles::WaveCount), 127);
    EXPECT_EQ(Graph(ShownGraph())->graph(0)->pen().color(), QColor(204, 255, 0));
}

// A JONSWAP sea (Tp, Hm0, gamma 3.3) as a sum of components with random phases and
// frequencies spread inside their bands, so they do not sit on the spectrum's bins.
std::vector<double> JonswapSea(double hm0, double tp, double rate, int n, unsigned seed) {
    const double fp = 1.0 / tp, gamma = 3.3;
    auto shape = [&](double f) {
        const double sigma = f <= fp ? 0.07 : 0.09;
        const double r = std::exp(-std::pow(f - fp, 2) / (2 * sigma * sigma * fp * fp));
        return std::pow(f, -5) * std::exp(-1.25 * std::pow(fp / f, 4)) * std::pow(gamma, r);
    };
    const int components = 600;
    const double low = 0.04, high = 0.8, band = (high - low) / components;
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> frequency(components), amplitude(components), phase(components);
    double m0 = 0;
    for (int c = 0; c < components; ++c) {
        frequency[c] = low + (c + unit(random)) * band;
        amplitude[c] = std::sqrt(2 * shape(low + (c + 0.5) * band) * band);
        phase[c] = 2 * kPi * unit(random);
        m0 += amplitude[c] * amplitude[c] / 2;
    }
    const double scale = hm0 / 4 / std::sqrt(m0);
    std::vector<double> eta(n, 0.0);
    for (int c = 0; c < components; ++c) {
        const double w = 2 * kPi * frequency[c] / rate;
        for (int i = 0; i < n; ++i)
            eta[i] += scale * amplitude[c] * std::cos(w * i + phase[c]);
    }
    return eta;
}

TEST_F(AnalysisRunTest, JonswapSeaGivesItsHm0WithinFivePercent) {
    const int rate = 4, n = chart::kTracePoints; // 3.8 hours
    const std::vector<double> sea = JonswapSea(1.5, 8.0, rate, n, 2026);
    FillTrace(5, 77, rate, n, [&](int i) { return 4.0 + sea[i]; });
    Select(6);
    for (int filter : {0, 1}) {
        ui::SetInt(roles::TideFilterSwitch, filter);
        Analyze();
        EXPECT_NEAR(Hm0(), 1.5, 0.075) << "tide filter " << filter;
        EXPECT_NEAR(ui::GetReal(roles::Mean), 4.0, 0.01);
        // Zero-crossing H1/3 of a narrow sea is close to Hm0; Tp near the peak.
        EXPECT_NEAR(ui::GetReal(roles::WaveHeightThird), 1.5, 0.15);
        EXPECT_NEAR(ui::GetReal(roles::PeakPeriod), 8.0, 0.8);
        EXPECT_LT(ui::GetReal(roles::MeanPeriodTm02), ui::GetReal(roles::MeanPeriodTm01));
        EXPECT_LT(ui::GetReal(roles::MeanPeriodTm01), ui::GetReal(roles::PeakPeriod));
    }
}

TEST_F(AnalysisRunTest, UnitTextAndYAxisFollowTheDisplayOptions) {
    FillTrace(0, 3, 8, 4096, [](int i) { return std::sin(2 * kPi * 0.5 * i / 8); });
    Select(1);
    struct Case {
        int scaling, unit;
        const char* text;
    };
    const Case cases[] = {{0, 0, "M^2 rms"}, {0, 1, "M rms"},     {0, 2, "M peak"},
                          {0, 3, "M^2/Hz"},  {1, 3, "dB M^2/Hz"}, {1, 4, "dB M rms/sqrt(Hz)"}};
    for (const Case& c : cases) {
        ui::SetInt(roles::ScalingSelect, c.scaling);
        ui::SetInt(roles::DisplayUnitSelect, c.unit);
        Analyze();
        EXPECT_EQ(ui::GetText(roles::UnitText), c.text);
        EXPECT_EQ(Graph(ShownGraph())->yAxis->label(), c.text);
    }
}

TEST_F(AnalysisRunTest, NothingIsAnalysedWithoutATraceARateOrSamples) {
    struct Case {
        const char* what;
        std::function<void(AnalysisRunTest&)> setUp;
    };
    const Case cases[] = {
        {"no trace selected",
         [](AnalysisRunTest& t) {
             t.FillTrace(0, 3, 8, 800, [](int i) { return i % 2; });
             Select(0);
         }},
        {"a trace without a unit",
         [](AnalysisRunTest& t) {
             t.FillTrace(0, 0, 8, 800, [](int i) { return i % 2; });
             Select(1);
         }},
        {"a trace at rate 0",
         [](AnalysisRunTest& t) {
             t.FillTrace(0, 3, 0, 800, [](int i) { return i % 2; });
             Select(1);
         }},
        {"only missing points",
         [](AnalysisRunTest& t) {
             t.FillTrace(0, 3, 8, 800, [](int) { return chart::kNoSample; });
             Select(1);
         }},
        {"cursors on one second",
         [](AnalysisRunTest& t) {
             t.FillTrace(0, 3, 8, 800, [](int i) { return i % 2; });
             Select(1);
             UseCursors(5.2, 5.9);
         }},
    };
    for (const Case& c : cases) {
        ui::SetText(roles::SignifWaveHeight, "-");
        ui::SetInt(roles::CursorSwitch, 0);
        ui::ShowStatus(QString());
        c.setUp(*this);
        Analyze();
        EXPECT_FALSE(ui::LastStatus().isEmpty()) << c.what << ": nothing said";
        EXPECT_EQ(ui::GetText(roles::SignifWaveHeight), "-") << c.what;
        EXPECT_EQ(ui::GetInt(roles::AnalyzeButton), 0) << c.what;
        EXPECT_EQ(ui::GetButtonMark(roles::AnalyzeButton), 0u) << c.what;
        for (int g = 0; g < kSpectrumGraphCount; ++g)
            EXPECT_EQ(DrawnPoints(g), -1) << c.what;
    }
    EXPECT_FALSE(ui::LastStatus().isEmpty());
}

TEST_F(AnalysisRunTest, AToggleSwitchedOffRunsNothing) {
    FillTrace(0, 3, 8, 800, [](int i) { return i % 2; });
    Select(1);
    ui::SetText(roles::SignifWaveHeight, "-");
    ui::SetInt(roles::AnalyzeButton, 0);
    ui::Dispatch(roles::AnalyzeButton, ui::Event::Commit);
    EXPECT_EQ(ui::GetText(roles::SignifWaveHeight), "-");
}

TEST_F(AnalysisRunTest, SelectingATraceTakesItsUnitAndClearsTheGraphs) {
    FillTrace(2, 21, 8, 800, [](int i) { return std::sin(i * 0.7); });
    Select(3);
    Analyze();
    ASSERT_GT(DrawnPoints(ShownGraph()), 0);
    EXPECT_EQ(ui::GetInt(roles::DeviceNumber), 21);

    ui::SetVisible(core::mainpanel::EditHint, true);
    ui::SetTextColor(roles::TraceSelect, ui::kRed);
    ui::SetInt(ui::ArrayItemName(chart::roles::TraceSelectArray, 6), 44);
    Select(7);
    EXPECT_EQ(Analysis.AnalyzeCtr, 6);
    EXPECT_EQ(Analysis.SelectedUnit, 44);
    EXPECT_EQ(ui::GetButtonMark(roles::AnalyzeButton), ui::kRed);
    EXPECT_FALSE(ui::IsVisible(core::mainpanel::EditHint));
    EXPECT_EQ(ui::GetTextColor(roles::TraceSelect), ui::kBlack);
    for (int g = 0; g < kSpectrumGraphCount; ++g)
        EXPECT_EQ(DrawnPoints(g), -1);

    Select(0);
    EXPECT_EQ(Analysis.AnalyzeCtr, -1);
    EXPECT_EQ(Analysis.SelectedUnit, 0);

    ui::Dispatch(roles::TraceSelect, ui::Event::KeyPress);
    EXPECT_EQ(ui::GetTextColor(roles::TraceSelect), ui::kRed);
    EXPECT_TRUE(ui::IsVisible(core::mainpanel::EditHint));
    ui::Dispatch(roles::TraceSelect, ui::Event::LostFocus);
    EXPECT_EQ(ui::GetTextColor(roles::TraceSelect), ui::kBlack);
    EXPECT_FALSE(ui::IsVisible(core::mainpanel::EditHint));
}

TEST_F(AnalysisRunTest, OptionChangesMarkTheResultsStaleExceptTheTideFilter) {
    EXPECT_EQ(Analysis.AnalyzeCtr, -1);
    EXPECT_EQ(Analysis.SelectedUnit, 0);
    const struct {
        ui::Role role;
        bool marks;
    } cases[] = {{roles::WindowSelect, true},  {roles::DisplayUnitSelect, true},
                 {roles::ScalingSelect, true}, {roles::FrequencyRange, true},
                 {roles::CursorSwitch, true},  {roles::TideFilterSwitch, false}};
    for (const auto& c : cases) {
        ui::SetButtonMark(roles::AnalyzeButton, 0);
        ui::Dispatch(c.role, ui::Event::Commit);
        EXPECT_EQ(ui::GetButtonMark(roles::AnalyzeButton), c.marks ? ui::kRed : 0u) << c.role;
        ui::Dispatch(c.role, ui::Event::RightClick);
        EXPECT_EQ(ui::GetButtonMark(roles::AnalyzeButton), c.marks ? ui::kRed : 0u) << c.role;
    }
    // A run, done or finding nothing, takes the mark away.
    ui::Dispatch(roles::AnalyzeButton, ui::Event::Commit);
    EXPECT_EQ(ui::GetButtonMark(roles::AnalyzeButton), 0u);
}

TEST_F(AnalysisRunTest, HelpTitlesAndTexts) {
    const QString cursorsOnChart =
        "Select the right and left section of the plot to analyze. On the\nSpectral Analysis "
        "Panel select \"Cursors\" on the X Axis Select switch";
    const struct {
        ui::Role role;
        QString title, text;
    } cases[] = {
        {roles::AnalyzeButton, "ANALYZE",
         "To plot press this Analyze button \nafter setting up the analysis parameters"},
        {roles::CursorSwitch, "LEFT AND RIGTH CURSORS",
         "Cursor \"on\" selects the Output Plot section between the two cursors\nCursor \"off\" "
         "selects all of the sample points that are plotted.\n\nNote: Any missing sample points "
         "will be skipped"},
        {chart::roles::LeftXAxis, "LEFT AND RIGTH CURSORS", cursorsOnChart},
        {chart::roles::LeftYAxis, "LEFT AND RIGTH CURSORS", cursorsOnChart},
        {chart::roles::RightXAxis, "LEFT AND RIGTH CURSORS", cursorsOnChart},
        {chart::roles::RightYAxis, "LEFT AND RIGTH CURSORS", cursorsOnChart},
        {roles::SignifWaveHeight, "SIGNIFICATE WAVE HEIGHT Hmo",
         "This is the standard deviation of the selected\nsample points times 4, or 4 * sqrt "
         "Variance."},
        {roles::TideFilterSwitch, "TIDE FILTER",
         "If on a 0.01 Hz(100 sec) 5 order Highpass Filter is added\nto the ploted data and the "
         "significate wave height."},
    };
    for (const auto& c : cases) {
        const auto help = ui::HelpOf(c.role);
        ASSERT_TRUE(help) << c.role;
        EXPECT_EQ(help->title, c.title);
        EXPECT_EQ(help->text, c.text);
    }
    for (ui::Role readOut : {roles::PeakPeriod, roles::MeanPeriodTm01, roles::MeanPeriodTm02,
                             roles::WaveCount, roles::WaveHeightThird, roles::WaveHeightMax})
        EXPECT_TRUE(ui::HelpOf(readOut)) << readOut;
}

} // namespace
} // namespace undarix::testing
