// The graph: axes in seconds and meters, the cursors and their read-outs, what is painted,
// and repaints coalesced however many packets arrive.

#include "chart/ChartGraph.h"
#include "chart/ChartCursors.h"
#include "chart/ChartState.h"
#include "chart/GraphPlots.h"
#include "chart/PacketFeed.h"
#include "core/ProgramState.h"
#include "support/Fixtures.h"
#include "ui/ControlRegistry.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <qcustomplot.h>

namespace undarix::testing {
namespace {

using core::Program;
namespace roles = chart::roles;

class ChartGraphTest : public PanelTest {
protected:
    QCustomPlot* ShownGraph() {
        panel->show();
        QCustomPlot* plot = ui::Widget<QCustomPlot>(roles::Graph);
        EXPECT_NE(plot, nullptr);
        EXPECT_TRUE(WaitUntil([plot] { return plot->isVisible() && plot->width() > 200; }));
        chart::RepaintGraphNow(); // lays the axis rect out
        return plot;
    }
    static void SetAxes(int timeScale, double range, double offset) {
        ui::SetInt(roles::RawPlotXAsis, timeScale);
        ui::SetReal(roles::YAxisRange, range);
        ui::SetReal(roles::YAxisOffset, offset);
        ui::Dispatch(roles::YAxisRange, ui::Event::Commit);
        ui::Dispatch(roles::YAxisOffset, ui::Event::Commit);
    }
    // True when a pixel of `color` lies within 2 pixels of (x, y) in the graph's image.
    static bool ColorNear(const QImage& image, QPointF at, QColor color) {
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy) {
                const QPoint p(int(at.x()) + dx, int(at.y()) + dy);
                if (image.rect().contains(p) && image.pixelColor(p) == color) return true;
            }
        return false;
    }
    static QPointF Pixel(QCustomPlot* plot, double seconds, double meters) {
        return {plot->xAxis->coordToPixel(seconds), plot->yAxis->coordToPixel(meters)};
    }
};

TEST_F(ChartGraphTest, AxesReadInSecondsAndMetersAndCursorReadOutsFollow) {
    struct Case {
        int timeScale;
        double range, offset;
        chart::CursorPosition cursor;
        double xUpper, seconds, meters;
    };
    const Case cases[] = {{1, 6.0, 0.0, {4.0, 0.5}, 16.0, 4.0, 3.0},
                          {3, 2.0, -1.0, {4.0, 0.25}, 48.0, 12.0, -0.5},
                          {3, 2.0, -1.0, {16.0, 1.0}, 48.0, 48.0, 1.0},
                          {0, 6.0, 0.0, {8.0, 0.0}, 4.0, 0.0, 0.0}, // gain 0.25 on the axis only
                          {108, 0.5, 2.0, {0.5, 0.5}, 1728.0, 54.0, 2.25}};
    QCustomPlot* plot = ui::Widget<QCustomPlot>(roles::Graph);
    ASSERT_NE(plot, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.timeScale);
        SetAxes(c.timeScale, c.range, c.offset);
        EXPECT_DOUBLE_EQ(plot->xAxis->range().lower, 0.0);
        EXPECT_DOUBLE_EQ(plot->xAxis->range().upper, c.xUpper);
        EXPECT_DOUBLE_EQ(plot->yAxis->range().lower, c.offset);
        EXPECT_DOUBLE_EQ(plot->yAxis->range().upper, c.offset + c.range);
        chart::SetGraphCursor(0, c.cursor.x, c.cursor.y);
        chart::SetGraphCursor(1, c.cursor.x, c.cursor.y);
        ui::Dispatch(roles::Graph, ui::Event::ValueChanged);
        EXPECT_NEAR(ui::GetReal(roles::LeftXAxis), c.seconds, 1e-3);
        EXPECT_NEAR(ui::GetReal(roles::LeftYAxis), c.meters, 1e-3);
        EXPECT_NEAR(ui::GetReal(roles::RightXAxis), c.seconds, 1e-3);
        EXPECT_NEAR(ui::GetReal(roles::RightYAxis), c.meters, 1e-3);
    }
    // Cursors stay on the graph.
    chart::SetGraphCursor(1, -3.0, 7.0);
    EXPECT_DOUBLE_EQ(chart::GetGraphCursor(1).x, 0.0);
    EXPECT_DOUBLE_EQ(chart::GetGraphCursor(1).y, 1.0);
    // Moved from code, the read-outs wait for the graph's report.
    EXPECT_EQ(ui::GetText(roles::RightXAxis), "54.000");
    ui::Dispatch(roles::Graph, ui::Event::Commit);
    EXPECT_EQ(ui::GetText(roles::RightXAxis), "0.000");
    EXPECT_EQ(ui::GetText(roles::RightYAxis), "2.500");
}

TEST_F(ChartGraphTest, DraggingACursorMovesItAndItsReadOutsFollow) {
    QCustomPlot* plot = ShownGraph();
    SetAxes(2, 6.0, 0.0);
    chart::SetGraphCursor(0, 4.0, 0.5);          // 8 s, 3 m
    const QPointF grab = Pixel(plot, 8.0, 1.0);  // on the time line, away from the level line
    const QPointF drop = Pixel(plot, 20.0, 5.0); // a time drag keeps the level
    QMouseEvent press(QEvent::MouseButtonPress, grab, plot->mapToGlobal(grab), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, drop, plot->mapToGlobal(drop), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, drop, plot->mapToGlobal(drop), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(plot, &press);
    QCoreApplication::sendEvent(plot, &move);
    EXPECT_NEAR(ui::GetReal(roles::LeftXAxis), 20.0, 0.2);
    EXPECT_NEAR(ui::GetReal(roles::LeftYAxis), 3.0, 1e-9);
    QCoreApplication::sendEvent(plot, &release);
    EXPECT_NEAR(chart::GetGraphCursor(0).x, 10.0, 0.1);

    // Grabbed at the crossing it moves both ways; the other cursor stays.
    const chart::CursorPosition other = chart::GetGraphCursor(1);
    const QPointF crossing = Pixel(plot, 20.0, 3.0);
    const QPointF there = Pixel(plot, 6.0, 1.5);
    QMouseEvent press2(QEvent::MouseButtonPress, crossing, plot->mapToGlobal(crossing),
                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent move2(QEvent::MouseMove, there, plot->mapToGlobal(there), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release2(QEvent::MouseButtonRelease, there, plot->mapToGlobal(there),
                         Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(plot, &press2);
    QCoreApplication::sendEvent(plot, &move2);
    QCoreApplication::sendEvent(plot, &release2);
    EXPECT_NEAR(ui::GetReal(roles::LeftXAxis), 6.0, 0.2);
    EXPECT_NEAR(ui::GetReal(roles::LeftYAxis), 1.5, 0.1);
    EXPECT_DOUBLE_EQ(chart::GetGraphCursor(1).x, other.x);
    EXPECT_DOUBLE_EQ(chart::GetGraphCursor(1).y, other.y);
}

TEST_F(ChartGraphTest, PaintsNewSegmentsOverTheOldAndNothingOnceThePlotsAreDeleted) {
    QCustomPlot* plot = ShownGraph();
    AddUnit(0, 7, 32);
    AddUnit(1, 8, 32);
    ChooseDevice(0, 7);
    ChooseDevice(1, 8);
    chart::ChartReset();
    for (int s = 0; s < 16; ++s)
        SendBlock(0, At(s), 32, 3.0f); // red, level 3 m
    chart::RepaintGraphNow();
    const int fullRedraws = chart::GraphFullRedrawCount();
    QImage image = plot->grab().toImage();
    EXPECT_TRUE(ColorNear(image, Pixel(plot, 8.0, 3.0), QColor(255, 0, 0)));

    for (int s = 0; s < 8; ++s)
        SendBlock(1, At(s), 32, 1.5f); // blue, level 1.5 m, added
    chart::RepaintGraphNow();
    EXPECT_EQ(chart::GraphFullRedrawCount(), fullRedraws);
    image = plot->grab().toImage();
    EXPECT_TRUE(ColorNear(image, Pixel(plot, 4.0, 1.5), QColor(0, 0, 255)));
    EXPECT_FALSE(ColorNear(image, Pixel(plot, 12.0, 1.5), QColor(0, 0, 255))); // not yet there
    EXPECT_TRUE(ColorNear(image, Pixel(plot, 8.0, 3.0), QColor(255, 0, 0)));
    // A printout draws the same lines.
    const QImage printed = plot->toPixmap().toImage();
    EXPECT_TRUE(ColorNear(printed, Pixel(plot, 4.0, 1.5), QColor(0, 0, 255)));

    chart::ChartReset();
    chart::RepaintGraphNow();
    image = plot->grab().toImage();
    EXPECT_FALSE(ColorNear(image, Pixel(plot, 8.0, 3.0), QColor(255, 0, 0)));
    EXPECT_FALSE(ColorNear(image, Pixel(plot, 4.0, 1.5), QColor(0, 0, 255)));
}

TEST_F(ChartGraphTest, ManyPacketsAtOnceGiveOneRepaint) {
    ShownGraph();
    AddUnit(0, 7, 32);
    ChooseDevice(0, 7);
    ui::SetInt(roles::RawPlotXAsis, 100);
    chart::ChartReset();
    ASSERT_TRUE(WaitUntil([] { return false; }, 60) == false); // the reset's repaint is done
    const int before = chart::GraphRepaintCount();
    for (int s = 0; s < 300; ++s)
        SendBlock(0, At(s), 32, 1.0f);
    EXPECT_EQ(chart::GraphRepaintCount(), before); // nothing painted inside the packets
    EXPECT_TRUE(WaitUntil([before] { return chart::GraphRepaintCount() > before; }));
    (void)WaitUntil([] { return false; }, 100);
    EXPECT_EQ(chart::GraphRepaintCount(), before + 1);
    EXPECT_EQ(chart::DrawnRuns(0), (std::vector<chart::PointRun>{{0, 9599}}));
}

} // namespace
} // namespace undarix::testing
