// The shown window at the sizes field laptops and desktops give it: the analysis page without
// a scroll, the edit hint that moves nothing, the hints that tell a newcomer what to do.

#include "analysis/AnalysisRoles.h"
#include "app/PanelGeometry.h"
#include "chart/PlotPageRoles.h"
#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "live/DeviceTable.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/Timers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

namespace undarix::testing {
namespace {

using namespace core;

class WindowLayoutTest : public PanelTest {
protected:
    // The window as start-up sizes it on a screen of this size, shown.
    void ShowOnScreen(int width, int height) {
        const app::PanelGeometry geometry = app::PanelGeometryForScreen(width, height);
        panel->resize(geometry.width, geometry.height);
        panel->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
        QCoreApplication::processEvents();
    }
    void ShowPage(QWidget* page) {
        auto* tabs = ui::Widget<QTabWidget>(mainpanel::MainTabs);
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(page) || tabs->widget(i) == page)
                tabs->setCurrentIndex(i);
        QCoreApplication::processEvents();
    }
    // The widget is on the screen whole: not clipped by a scroll area or the window.
    static bool WhollyVisible(QWidget* widget) {
        return widget && widget->isVisible() && !widget->visibleRegion().isEmpty() &&
               widget->visibleRegion().boundingRect() == widget->rect();
    }
};

TEST_F(WindowLayoutTest, TheAnalysisPageFitsALaptopScreenAndGrowsOnADesktop) {
    const ui::Role shownAtOnce[] = {
        analysis::roles::TraceSelect,
        analysis::roles::FrequencyRange,
        analysis::roles::CursorSwitch,
        analysis::roles::TideFilterSwitch,
        analysis::roles::WindowSelect,
        analysis::roles::ScalingSelect,
        analysis::roles::DisplayUnitSelect,
        analysis::roles::AnalyzeButton,
        analysis::roles::ExportSpectrumButton,
        analysis::roles::DeviceNumber,
        analysis::roles::Mean,
        analysis::roles::SignifWaveHeight,
        analysis::roles::PeakPeriod,
        analysis::roles::MeanPeriodTm01,
        analysis::roles::MeanPeriodTm02,
        analysis::roles::WaveCount,
        analysis::roles::WaveHeightThird,
        analysis::roles::WaveHeightMax,
        analysis::roles::UnitText,
        "SpectrumGraph_0",
    };
    QSize graphSize[2];
    const QSize screens[2] = {{1366, 768}, {1920, 1080}};
    for (int s = 0; s < 2; ++s) {
        SCOPED_TRACE(std::to_string(screens[s].width()) + "x" +
                     std::to_string(screens[s].height()));
        ShowOnScreen(screens[s].width(), screens[s].height());
        ShowPage(panel->AnalysisPage());
        auto* scroll = panel->findChild<QScrollArea*>("AnalysisPageScroll");
        ASSERT_NE(scroll, nullptr);
        EXPECT_FALSE(scroll->verticalScrollBar()->isVisible()) << "no scroll needed";
        EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible()) << "no scroll needed";
        for (ui::Role role : shownAtOnce)
            EXPECT_TRUE(WhollyVisible(ui::FindWidget(role))) << role;
        graphSize[s] = ui::FindWidget("SpectrumGraph_0")->size();
    }
    // The larger screen goes to the graph.
    EXPECT_GT(graphSize[1].width(), graphSize[0].width() + 400);
    EXPECT_GT(graphSize[1].height(), graphSize[0].height() + 200);
}

// The hint sits in the status bar: showing it moves neither the table nor the tabs, and it
// says what Enter will do with the field being typed into.
// A 1024 x 600 screen: the window fits it, and the panel keeps its least size and scrolls
// rather than cutting the table's columns.
TEST_F(WindowLayoutTest, OnASmallScreenThePanelScrollsInsteadOfBeingCut) {
    EXPECT_LE(panel->minimumSizeHint().width(), 1024);
    EXPECT_LE(panel->minimumSizeHint().height(), 600);
    panel->resize(1024, 600);
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    EXPECT_EQ(panel->size(), QSize(1024, 600));
    auto* scroll = panel->findChild<QScrollArea*>("mainPanelScroll");
    ASSERT_NE(scroll, nullptr);
    QWidget* content = scroll->widget();
    EXPECT_GE(content->width(), content->minimumSizeHint().width()); // no column squeezed
    EXPECT_GT(scroll->horizontalScrollBar()->maximum() + scroll->verticalScrollBar()->maximum(), 0);
}

TEST_F(WindowLayoutTest, TheEditHintMovesNothingAndSaysWhatEnterDoes) {
    ShowOnScreen(1366, 768);
    QWidget* tabs = ui::FindWidget(mainpanel::MainTabs);
    QWidget* hint = ui::FindWidget(mainpanel::EditHint);
    ASSERT_NE(hint, nullptr);
    EXPECT_NE(qobject_cast<QStatusBar*>(hint->parentWidget()), nullptr);
    const QRect before = tabs->geometry();

    struct Case {
        ui::Role field;
        const char* hint;
    };
    const Case cases[] = {
        {chart::roles::YAxisRange, "Editing: press Enter to apply it to the chart"},
        {chart::roles::RawPlotXAsis, "Editing: press Enter to apply it to the chart"},
        {"TraceSelectArray_2", "Editing: press Enter to plot that device on the trace"},
        {analysis::roles::TraceSelect, "Editing: press Enter to choose the trace to analyse"},
        {configpage::NewDeviceNumberField, "Editing: press Enter to send the value to the unit"},
        {configpage::DeviceNumberSelector,
         "Editing: press Enter to read the configuration of that unit"},
        {mainpanel::LocalPanId, "Editing: press Enter to send the PAN ID"},
    };
    for (const Case& c : cases) {
        ui::Dispatch(c.field, ui::Event::KeyPress);
        EXPECT_TRUE(ui::IsVisible(mainpanel::EditHint)) << c.field;
        EXPECT_EQ(ui::GetText(mainpanel::EditHint), c.hint) << c.field;
        QCoreApplication::processEvents();
        EXPECT_EQ(tabs->geometry(), before) << c.field;
        ui::Dispatch(c.field, ui::Event::LostFocus);
        EXPECT_FALSE(ui::IsVisible(mainpanel::EditHint)) << c.field;
    }
}

TEST_F(WindowLayoutTest, AnEmptyTableWithNothingOpenSaysHowToGetUnits) {
    const auto shown = [] {
        ui::TickTimer(timer::EmptyTableHint);
        return ui::IsVisible(mainpanel::EmptyTableHint);
    };
    EXPECT_TRUE(shown()) << "at start";
    EXPECT_EQ(ui::GetText(mainpanel::EmptyTableHint),
              "Choose the unit kind and its port; or start with --demo to try simulated units");

    struct Case {
        const char* state;
        int port, file;
        bool unit;
        bool hint;
    };
    const Case cases[] = {
        {"a unit port open", 3, 0, false, false},
        {"a file open for playback", 0, 1, false, false},
        {"units heard, the port closed since", 0, 0, true, false},
        {"nothing open, the table empty", 0, 0, false, true},
    };
    for (const Case& c : cases) {
        live::ClearAllOutputLines();
        Program.OpenComPortNum = c.port;
        Program.FileOpen = c.file;
        if (c.unit) (void)live::GetOutputLineLoc(0x0013A20040000001ull);
        EXPECT_EQ(shown(), c.hint) << c.state;
    }
    Program.OpenComPortNum = 0;
    Program.FileOpen = 0;
}

TEST_F(WindowLayoutTest, ThePlottingButtonSaysWhatAClickWillDo) {
    ShowOnScreen(1366, 768);
    const ui::Role button = chart::roles::RawStartStop;
    EXPECT_EQ(ui::GetLabel(button), "Start Plotting");
    ui::FindWidget(button)->setFocus();
    qobject_cast<QAbstractButton*>(ui::FindWidget(button))->click();
    EXPECT_EQ(Program.PlottingRunning, 1);
    EXPECT_EQ(ui::GetLabel(button), "Stop Plotting");
    // Stopped by the program (a full chart, the end of a played file): the text follows.
    CallHook(hooks.StopPlotting);
    EXPECT_EQ(ui::GetLabel(button), "Start Plotting");
}

} // namespace
} // namespace undarix::testing
