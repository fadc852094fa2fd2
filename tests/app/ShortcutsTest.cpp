// The keyboard on the shown window: the menus' shortcuts and accelerators, F1 for the help of
// the focused control, Space for Start Plotting on the chart page.

#include "app/Shortcuts.h"
#include "analysis/Printing.h"
#include "chart/PlotPageRoles.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/ControlRegistry.h"
#include "ui/Controls.h"
#include "ui/WheelGuard.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFocusEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

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
    // The window opens with the focus on the chart, where no key changes anything.
    EXPECT_EQ(QApplication::focusWidget(), ui::FindWidget(chart::roles::Graph));
    Key(QKeySequence(Qt::Key_Space));
    EXPECT_EQ(Program.PlottingRunning, 1);
    EXPECT_EQ(ui::GetLabel(chart::roles::RawStartStop), "Stop Plotting");
    Key(QKeySequence(Qt::Key_Space));
    EXPECT_EQ(Program.PlottingRunning, 0);
    EXPECT_EQ(ui::GetLabel(chart::roles::RawStartStop), "Start Plotting");

    // A focused button or list does not take Space: it is the chart's, and the unit kind list
    // neither opens nor changes.
    const int unitKind = ui::GetInt(mainpanel::UnitTypeRing);
    for (ui::Role focused :
         {chart::roles::StopWhenFull, mainpanel::UnitTypeRing, chart::roles::PlotSourceSelect}) {
        QWidget* widget = ui::FindWidget(focused);
        widget->setFocus();
        ASSERT_TRUE(WaitUntil([widget] { return widget->hasFocus(); })) << focused;
        Key(QKeySequence(Qt::Key_Space));
        EXPECT_EQ(Program.PlottingRunning, 1) << focused;
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << focused;
        Key(QKeySequence(Qt::Key_Space));
        EXPECT_EQ(Program.PlottingRunning, 0) << focused;
    }
    EXPECT_EQ(Program.StopWhenFull, 0);
    EXPECT_EQ(ui::GetInt(mainpanel::UnitTypeRing), unitKind);

    // A text field keeps Space as a character.
    QWidget* range = ui::FindWidget(chart::roles::YAxisRange);
    range->setFocus();
    ASSERT_TRUE(WaitUntil([range] { return range->hasFocus(); }));
    Key(QKeySequence(Qt::Key_Space));
    EXPECT_EQ(Program.PlottingRunning, 0);

    // On another page Space does not touch the chart; coming back to the chart page puts the
    // focus on the chart again, wherever it was.
    Tabs()->setCurrentIndex(1);
    Key(QKeySequence(Qt::Key_Space));
    EXPECT_EQ(Program.PlottingRunning, 0);
    ui::FindWidget(mainpanel::UnitTypeRing)->setFocus();
    Tabs()->setCurrentWidget(panel->PlotPage());
    EXPECT_TRUE(WaitUntil(
        [] { return QApplication::focusWidget() == ui::FindWidget(chart::roles::Graph); }));
}

// Every field typed into (a spin box) shows the edit hint, "press Enter to ...", at the first
// key, on every page.
TEST_F(ShortcutsTest, EveryNumberFieldShowsTheEditHintWhileTyped) {
    QStringList silent;
    int fields = 0;
    for (QWidget* page : {static_cast<QWidget*>(panel.get()), panel->PlotPage(),
                          panel->AnalysisPage(), panel->ConfigPage(), panel->SeaStatePage()}) {
        for (auto* field : page->findChildren<QAbstractSpinBox*>()) {
            if (!ui::IsRegistered(field->objectName().toStdString())) continue;
            ++fields;
            ui::SetVisible(mainpanel::EditHint, false);
            field->setEnabled(true);
            QTest::keyClick(field, Qt::Key_5);
            if (!ui::IsVisible(mainpanel::EditHint)) silent << field->objectName();
            QFocusEvent out(QEvent::FocusOut);
            QApplication::sendEvent(field, &out);
        }
    }
    EXPECT_GE(fields, 30);
    EXPECT_TRUE(silent.isEmpty()) << silent.join(", ").toStdString();
}

// Every spin box and list of the window, on every page: the wheel over it changes nothing
// until it has the focus, and then it does (the field is not simply out of reach).
TEST_F(ShortcutsTest, TheWheelChangesNoFieldWithoutTheFocus) {
    const auto wheel = [](QWidget* field, int steps) {
        const QPointF at(field->width() / 2.0, field->height() / 2.0);
        QWheelEvent event(at, field->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(field, &event);
    };
    const auto valueOf = [](QWidget* field) -> QString {
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) return spin->text();
        return QString::number(qobject_cast<QComboBox*>(field)->currentIndex());
    };
    QList<QWidget*> fields;
    for (QWidget* page : {static_cast<QWidget*>(panel.get()), panel->PlotPage(),
                          panel->AnalysisPage(), panel->ConfigPage(), panel->SeaStatePage()}) {
        for (QWidget* field : page->findChildren<QWidget*>())
            if ((qobject_cast<QAbstractSpinBox*>(field) || qobject_cast<QComboBox*>(field)) &&
                !fields.contains(field))
                fields << field;
    }
    ASSERT_GE(fields.size(), 40);
    int changedWithFocus = 0;
    for (QWidget* field : fields) {
        const std::string name = field->objectName().toStdString();
        Tabs()->setCurrentWidget(panel->PlotPage());
        field->setEnabled(true);
        if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->count() < 2) {
            combo->addItems({"one", "two", "three"});
            combo->setCurrentIndex(1);
        }
        if (auto* spin = qobject_cast<QSpinBox*>(field); spin && spin->maximum() > spin->minimum())
            spin->setValue((spin->minimum() + spin->maximum()) / 2);
        if (auto* spin = qobject_cast<QDoubleSpinBox*>(field);
            spin && spin->maximum() > spin->minimum())
            spin->setValue((spin->minimum() + spin->maximum()) / 2);
        field->clearFocus();
        QCoreApplication::processEvents();
        const QString before = valueOf(field);
        wheel(field, 1);
        wheel(field, -1);
        wheel(field, -1);
        EXPECT_EQ(valueOf(field).toStdString(), before.toStdString()) << name;
        EXPECT_FALSE(field->hasFocus()) << name << ": the wheel took the focus";

        for (int page = 0; page < Tabs()->count(); ++page)
            if (Tabs()->widget(page)->isAncestorOf(field)) Tabs()->setCurrentIndex(page);
        if (!field->isVisible()) continue; // shown only for other unit kinds
        field->setFocus();
        if (!WaitUntil([field] { return field->hasFocus(); }, 200)) continue;
        wheel(field, 1);
        if (valueOf(field) == before) wheel(field, -1);
        if (valueOf(field) != before) ++changedWithFocus;
    }
    EXPECT_GE(changedWithFocus, 10);
}

// The guard keeps the wheel off unfocused fields, not off the page: a panel too tall for a
// small screen, the Sea State table and the file dialog's list still scroll under the wheel,
// over their free space and over their scroll bar.
TEST_F(ShortcutsTest, TheWheelStillScrollsWhatHoldsTheFields) {
    ui::GuardValuesFromTheWheel();
    QScrollArea area;
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    auto* field = new QSpinBox;
    field->setRange(0, 100);
    field->setValue(50);
    layout->addWidget(field);
    layout->addSpacing(2000);
    area.setWidget(content);
    area.resize(200, 200);
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
    QScrollBar* bar = area.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);

    const auto wheelDown = [](QWidget* over) {
        const QPointF at(over->width() / 2.0, over->height() / 2.0);
        QWheelEvent event(at, over->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &event);
    };
    struct Case {
        const char* name;
        QWidget* over;
    };
    for (const Case& c : {Case{"free space", area.viewport()}, Case{"scroll bar", bar}}) {
        SCOPED_TRACE(c.name);
        bar->setValue(0);
        wheelDown(c.over);
        EXPECT_GT(bar->value(), 0);
    }
    EXPECT_EQ(field->value(), 50);
}

} // namespace
} // namespace undarix::testing
