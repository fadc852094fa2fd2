#include "app/Shortcuts.h"

#include "app/MainWindow.h"
#include "chart/PlotPageRoles.h"
#include "core/PanelRoles.h"
#include "ui/ControlRegistry.h"
#include "ui/Controls.h"
#include "ui/FocusHelp.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QShortcut>
#include <QTabWidget>

namespace undarix::app {
namespace {

// A button or list with the focus is pressed or opened by Space, as without the shortcut.
// (A key event sent on would come back to the shortcut.)
bool PassSpaceToFocusedControl() {
    QWidget* focus = QApplication::focusWidget();
    if (auto* button = qobject_cast<QAbstractButton*>(focus)) {
        button->click();
        return true;
    }
    if (auto* list = qobject_cast<QComboBox*>(focus)) {
        list->showPopup();
        return true;
    }
    return false;
}

// Space belongs to the chart only while its page is shown.
void FollowTheShownPage(MainWindow& window, QShortcut* space) {
    auto* tabs = ui::Widget<QTabWidget>(core::mainpanel::MainTabs);
    if (!tabs) return;
    QWidget* chartPage = window.PlotPage();
    const auto follow = [tabs, chartPage, space] {
        space->setEnabled(tabs->currentWidget() == chartPage);
    };
    QObject::connect(tabs, &QTabWidget::currentChanged, space, follow);
    follow();
}

} // namespace

void SpaceOnChartPage() {
    if (PassSpaceToFocusedControl()) return;
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
}

} // namespace undarix::app
