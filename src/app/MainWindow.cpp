#include "app/MainWindow.h"

#include "ui_AnalysisPage.h"
#include "ui_ConfigPage.h"
#include "ui_MainPanel.h"
#include "ui_PlotPage.h"
#include "ui_SeaStatePage.h"

#include <QCloseEvent>
#include <QLabel>
#include <QResizeEvent>
#include <QScrollArea>
#include <QStatusBar>

namespace undarix::app {
namespace {

template <class Form> QWidget* LoadPage(QWidget* parent) {
    auto* page = new QWidget(parent);
    Form form;
    form.setupUi(page);
    return page;
}

// A page taller than the window scrolls instead of squeezing its controls.
QWidget* Scrollable(QWidget* page) {
    auto* scroll = new QScrollArea;
    scroll->setObjectName(page->objectName() + "Scroll");
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    return scroll;
}

// The hint shown while a field is being typed into sits at the right of the status bar, so
// that showing it moves nothing on the panel.
void AddEditHint(QStatusBar* statusBar) {
    auto* hint = new QLabel(statusBar);
    hint->setObjectName("editHint");
    hint->setStyleSheet("color: #FF0000; font-weight: bold;");
    statusBar->addPermanentWidget(hint);
    hint->setVisible(false);
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    Ui::MainPanel form;
    form.setupUi(this);
    plotPage_ = LoadPage<Ui::PlotPage>(nullptr);
    analysisPage_ = LoadPage<Ui::AnalysisPage>(nullptr);
    configPage_ = LoadPage<Ui::ConfigPage>(nullptr);
    seaStatePage_ = LoadPage<Ui::SeaStatePage>(nullptr);
    form.mainTabs->addTab(plotPage_, tr("Chart"));
    form.mainTabs->addTab(Scrollable(analysisPage_), tr("Spectral Analysis"));
    form.mainTabs->addTab(Scrollable(configPage_), tr("Configuration"));
    form.mainTabs->addTab(Scrollable(seaStatePage_), tr("Sea State"));
    AddEditHint(form.statusbar);
    // On a screen smaller than the panel's least size (a 1024 x 600 netbook) the window
    // still fits: the panel scrolls instead of being cut at the screen's edge.
    auto* panelScroll = new QScrollArea;
    panelScroll->setObjectName("mainPanelScroll");
    panelScroll->setWidgetResizable(true);
    panelScroll->setFrameShape(QFrame::NoFrame);
    panelScroll->setWidget(takeCentralWidget());
    setCentralWidget(panelScroll);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (mayClose && !mayClose()) {
        event->ignore();
        return;
    }
    if (onClose) onClose();
    event->accept();
}

} // namespace undarix::app

namespace undarix::app {

void MainWindow::SetScaleContents(bool scale) {
    scaleContents_ = scale;
    if (baseFontSize_ <= 0) baseFontSize_ = font().pointSizeF();
    scaleBaseSize_ = size();
    if (!scale) {
        QFont base = font();
        base.setPointSizeF(baseFontSize_);
        setFont(base);
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!scaleContents_ || scaleBaseSize_.isEmpty() || baseFontSize_ <= 0) return;
    const qreal factor = qMin(qreal(width()) / scaleBaseSize_.width(),
                              qreal(height()) / scaleBaseSize_.height());
    QFont scaled = font();
    scaled.setPointSizeF(qBound(6.0, baseFontSize_ * factor, 40.0));
    setFont(scaled);
}

} // namespace undarix::app
