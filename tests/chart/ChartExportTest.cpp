// File > Export Chart...: the chart as shown, as a PNG, SVG or PDF file that other programs
// open.

#include "chart/ChartExport.h"
#include "chart/PacketFeed.h"
#include "chart/PlotPageRoles.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/StatusMessage.h"

#include <QFile>
#include <QImage>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <qcustomplot.h>

namespace undarix::testing {
namespace {

using Status = ui::FileSelection::Status;

class ChartExportTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        // Unit 7 on trace 1 (red), one block drawn.
        ASSERT_EQ(live::GetOutputLineLoc(0x0013A20040000001ull), 0);
        AddUnit(0, 7, 32);
        ChooseDevice(0, 7);
        ui::Dispatch(TraceNumeric(0), ui::Event::Commit);
        ui::SetInt(chart::roles::RawStartStop, 1);
        ui::Dispatch(chart::roles::RawStartStop, ui::Event::Commit);
        SendBlock(0, At(0), 32, 1.0f, 0.1f);
    }

    // Chooses the file in Export Chart's dialog; `message` is the pop-up expected after it.
    void Export(const QString& typed, const QString& filter = {}, const char* message = nullptr) {
        popups->ExpectFile("Export Chart", {Status::NewFile, dir.filePath(typed), filter});
        if (message) popups->ExpectMessage(message);
        ui::Dispatch(core::menu::ExportChart, ui::Event::Commit);
    }

    static QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static bool HasTraceRed(const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == QColor(255, 0, 0)) return true;
        return false;
    }

    QTemporaryDir dir;
};

TEST_F(ChartExportTest, EachFormatIsAFileItsProgramsOpen) {
    struct Case {
        const char* typed;
        const char* filter;
        const char* written;
    };
    const Case cases[] = {
        {"chart", "", "chart.png"}, // the dialog's first filter
        {"chart", "SVG image (*.svg)", "chart.svg"},
        {"chart", "PDF document (*.pdf)", "chart.pdf"},
        {"report.PNG", "PDF document (*.pdf)", "report.PNG"}, // the typed extension decides
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        Export(c.typed, c.filter);
        const QString path = dir.filePath(c.written);
        const QByteArray bytes = Read(path);
        ASSERT_FALSE(bytes.isEmpty());
        EXPECT_EQ(ui::LastStatus(), "Chart exported to " + path);
        const QString format = QString(c.written).section('.', -1).toLower();
        if (format == "png") {
            QImage image;
            ASSERT_TRUE(image.loadFromData(bytes, "PNG"));
            EXPECT_GE(image.width(), 320);
            EXPECT_GE(image.height(), 200);
            EXPECT_TRUE(HasTraceRed(image)) << "trace 1 is on the image";
        } else if (format == "svg") {
            QSvgRenderer svg(bytes);
            EXPECT_TRUE(svg.isValid());
            EXPECT_TRUE(bytes.contains("#ff0000")) << "trace 1 is in the drawing";
        } else {
            EXPECT_TRUE(bytes.startsWith("%PDF-"));
            EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
        }
    }
}

// A chart on paper says when it starts and which line is which unit; the window's graph is
// left as it was.
TEST_F(ChartExportTest, TheFileNamesTheStartTimeAndTheUnitOfEachLine) {
    const QString start = ui::GetText(chart::roles::StartTimeText);
    ASSERT_TRUE(start.startsWith("2026-")) << start.toStdString();
    Export("legend.svg");
    const QByteArray svg = Read(dir.filePath("legend.svg"));
    EXPECT_TRUE(svg.contains(("start " + start).toUtf8())) << start.toStdString();
    EXPECT_TRUE(svg.contains("Trace 1: device 7"));
    EXPECT_FALSE(svg.contains("Trace 2:"));

    auto* plot = ui::Widget<QCustomPlot>(chart::roles::Graph);
    EXPECT_EQ(plot->graphCount(), 0);
    EXPECT_FALSE(plot->legend->visible());
    EXPECT_EQ(plot->plotLayout()->elementCount(), 1);
}

TEST_F(ChartExportTest, AnUnknownExtensionOrAnUnwritableFileIsSaid) {
    Export("chart.jpg", {}, "EXPORT CHART");
    EXPECT_FALSE(QFile::exists(dir.filePath("chart.jpg")));
    Export("no/such/folder/chart.png", {}, "EXPORT CHART");
}

TEST_F(ChartExportTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    QFile old(dir.filePath("chart.png"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    popups->ExpectFile("Export Chart", {Status::ExistingFile, dir.filePath("chart.png")});
    popups->ExpectConfirm("Confirm Save File", false);
    ui::Dispatch(core::menu::ExportChart, ui::Event::Commit);
    EXPECT_EQ(Read(dir.filePath("chart.png")), "old");
}

} // namespace
} // namespace undarix::testing
