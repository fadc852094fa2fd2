// The keyboard on the shown window: the menus' shortcuts and accelerators, F1 for the help of
// the focused control, Space for Start Plotting on the chart page.

#include "app/Shortcuts.h"
#include "analysis/Printing.h"
#include "chart/PlotPageRoles.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <QAction>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace undarix::testing {
namespace {

using namespace core;
using Status = ui::FileSelection::Status;

class ShortcutsTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        panel->show();
        QApplication::setActiveWindow(panel.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
    }

    void Key(QKeySequence keys) {
        QTest::keySequence(panel.get(), keys);
        QCoreApplication::processEvents();
    }

    static QTabWidget* Tabs() { return ui::Widget<QTabWidget>(mainpanel::MainTabs); }
};

TEST_F(ShortcutsTest, MenuShortcutsTriggerTheirItems) {
    QTemporaryDir dir;
    const QString file = dir.filePath("a.csv");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("\n");
    out.close();

    // Ctrl+O: Open File to Plot.
    popups->ExpectFile("Open Data File", {Status::ExistingFile, file});
    Key(QKeySequence("Ctrl+O"));
    EXPECT_EQ(Program.FileOpen, 1);

    // Ctrl+W: Close File.
    Key(QKeySequence("Ctrl+W"));
    EXPECT_EQ(Program.FileOpen, 0);
    EXPECT_EQ(delays, std::vector<double>{0.6});

    // Ctrl+P: print the main panel, through the print dialog.
    int dialogs = 0;
    analysis::SetPrintDialogStep([&dialogs](QPrinter&, QWidget*) {
        ++dialogs;
        return false;
    });
    Key(QKeySequence("Ctrl+P"));
    EXPECT_EQ(dialogs, 1);

    // Ctrl+Q: Exit closes the open files first.
    popups->ExpectFile("Open Data File", {Status::ExistingFile, file});
    Key(QKeySequence("Ctrl+O"));
    ASSERT_EQ(Program.FileOpen, 1);
    Key(QKeySequence("Ctrl+Q"));
    EXPECT_EQ(Program.FileOpen, 0);
}

// Alt and a letter open a menu and choose its item: within a menu no two entries may share
// their letter, or the second is out of the keyboard's reach.
TEST_F(ShortcutsTest, EveryMenuAndItemHasAnAcceleratorOfItsOwn) {
    auto* bar = panel->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    const auto letter = [](const QString& text) {
        const int at = text.indexOf('&');
        return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower() : QChar();
    };
    const std::function<void(const QList<QAction*>&, const QString&)> check =
        [&](const QList<QAction*>& actions, const QString& where) {
            QSet<QChar> used;
            for (QAction* action : actions) {
                if (action->isSeparator()) continue;
                const QChar key = letter(action->text());
                EXPECT_FALSE(key.isNull())
                    << where.toStdString() << ": " << action->text().toStdString();
                EXPECT_FALSE(used.contains(key))
                    << where.toStdString() << ": " << action->text().toStdString();
                used.insert(key);
                if (action->menu()) check(action->menu()->actions(), action->text());
            }
        };
    check(bar->actions(), "menu bar");

    // Alt+F opens the File menu.
    QTest::keyClick(panel.get(), Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(WaitUntil([] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu && menu->objectName() == "menuFile";
    }));
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
}

TEST_F(ShortcutsTest, F1ShowsTheHelpOfTheFocusedControl) {
    struct Case {
        ui::Role focused;
        const char* title;
    };
    const Case cases[] = {
        {chart::roles::YAxisRange, "Y AXIS RANGE"},
        {chart::roles::StopWhenFull, "STOP PLOT IF FULL TO ANALYZE"},
        {mainpanel::ComPortList, "SELECT  SERIAL COM PORT"},
        {mainpanel::PlaybackPosition, "FILE POSITION"},
    };
    Tabs()->setCurrentWidget(panel->PlotPage());
    for (const Case& c : cases) {
        QWidget* widget = ui::FindWidget(c.focused);
        ASSERT_NE(widget, nullptr) << c.focused;
        ui::SetDimmed(c.focused, false);
        widget->setFocus();
        ASSERT_TRUE(WaitUntil([widget] {
            return widget->hasFocus() || widget->isAncestorOf(QApplication::focusWidget());
        })) << c.focused;
        popups->ExpectMessage(c.title);
        Key(QKeySequence(Qt::Key_F1));
        ASSERT_FALSE(popups->Shown().empty());
        EXPECT_EQ(popups->Shown().back().title, c.title);
    }
}

TEST_F(ShortcutsTest, SpaceStartsAndStopsPlottingOnTheChartPage) {
    Tabs()->setCurrentWidget(panel->PlotPage());
    if (QWidget* focused = QApplication::focusWidget())
        focused->clearFocus(); // nothing that
                               // takes Space
    Key(QKeySequence(Qt::Key_Space));
    EXPECT_EQ(Program.PlottingRunning, 1);
    EXPECT_EQ(ui::GetLabel(chart::roles::RawStartStop), "Stop Plotting");
    Key(QKeySequence(Qt::Key_Space));
    EXPECT_EQ(Program.PlottingRunning, 0);
    EXPECT_EQ(ui::GetLabel(chart::roles::RawStartStop), "Start Plotting");

    // A focused button takes Space as its own click.
    QWidget* stopWhenFull = ui::FindWidget(chart::roles::StopWhenFull);
    stopWhenFull->setFocus();
    ASSERT_TRUE(WaitUntil([stopWhenFull] { return stopWhenFull->hasFocus(); }));
    Key(QKeySequence(Qt::Key_Space));
    EXPECT_EQ(Program.StopWhenFull, 1);
    EXPECT_EQ(Program.PlottingRunning, 0);

    // On another page Space does not touch the chart.
    stopWhenFull->clearFocus();
    Tabs()->setCurrentIndex(1);
    Key(QKeySequence(Qt::Key_Space));
    EXPECT_EQ(Program.PlottingRunning, 0);
}

} // namespace
} // namespace undarix::testing
