#include "app/Shortcuts.h"

#include "app/MainWindow.h"
#include "chart/PlotPageRoles.h"
#include "core/PanelRoles.h"
#include "ui/ControlRegistry.h"
#include "ui/Controls.h"
#include "ui/FocusHelp.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTabWidget>
#include <QTextEdit>

namespace undarix::app {
namespace {

// A text field takes Space as a character (it claims the key before any shortcut); a spin box
// is typed into like one.
bool TypesText(QWidget* focus) {
    return qobject_cast<QLineEdit*>(focus) || qobject_cast<QAbstractSpinBox*>(focus) ||
           qobject_cast<QPlainTextEdit*>(focus) || qobject_cast<QTextEdit*>(focus);
}

// The chart itself holds the focus where a key can change nothing: no list to open with Space
// or change with an arrow key, no button to press by mistake.
void FocusTheChart() {
    if (QWidget* graph = ui::FindWidget(chart::roles::Graph)) {
        graph->setFocusPolicy(Qt::StrongFocus);
        graph->setFocus(Qt::OtherFocusReason);
    }
}

// Space belongs to the chart only while its page is shown. Showing the page puts the focus on
// the chart unless it is in one of the page's own fields already.
void FollowTheShownPage(MainWindow& window, QShortcut* space) {
    auto* tabs = ui::Widget<QTabWidget>(core::mainpanel::MainTabs);
    if (!tabs) return;
    QWidget* chartPage = window.PlotPage();
    const auto follow = [tabs, chartPage, space] {
        const bool chartShown = tabs->currentWidget() == chartPage;
        space->setEnabled(chartShown);
        if (chartShown && !chartPage->isAncestorOf(QApplication::focusWidget())) FocusTheChart();
    };
    QObject::connect(tabs, &QTabWidget::currentChanged, space, follow);
    follow();
}

} // namespace

void SpaceOnChartPage() {
    if (TypesText(QApplication::focusWidget())) return;
    const ui::Role startStop = chart::roles::RawStartStop;
    ui::SetInt(startStop, ui::GetInt(startStop) != 0 ? 0 : 1);
    ui::Dispatch(startStop, ui::Event::Commit);
}

void BindShortcuts(MainWindow& window) {
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), &window);
    QObject::connect(help, &QShortcut::activated, &window, [] { ui::ShowHelpOfFocusedControl(); });

    auto* space = new QShortcut(QKeySequence(Qt::Key_Space), &window);
    QObject::connect(space, &QShortcut::activated, &window, [] { SpaceOnChartPage(); });
    FollowTheShownPage(window, space);
    FocusTheChart(); // the focus the window opens with
}

} // namespace undarix::app
