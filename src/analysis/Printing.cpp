#include "analysis/Printing.h"

#include "ui/BusyCursor.h"
#include "ui/Controls.h"
#include "ui/Popups.h"

#include <QApplication>
#include <QLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <cstdio>

namespace undarix::analysis {
namespace {

PrintDialogStep& DialogStep() {
    static PrintDialogStep step;
    return step;
}

bool QtPrintDialog(QPrinter& printer, QWidget* parent) {
    // Without a screen nobody could answer the dialog: print nothing rather than wait.
    const QString platform = QGuiApplication::platformName();
    if (platform == "offscreen" || platform == "minimal") {
        std::fprintf(stderr, "Print: no screen to show the print dialog on\n");
        return false;
    }
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle("Print");
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

void SetPrintDialogStep(PrintDialogStep step) {
    DialogStep() = std::move(step);
}

bool PrintWidget(QWidget* widget, QPrinter& printer) {
    // A panel whose window was never shown (printing from a script) has not been laid out:
    // give it at least the size its layout asks for.
    if (!widget->window()->isVisible()) {
        widget->ensurePolished();
        widget->resize(widget->size().expandedTo(widget->sizeHint()));
        if (QLayout* layout = widget->layout()) layout->activate();
    }
    const QSize size = widget->size();
    if (size.isEmpty()) return false;

    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min(page.width() / size.width(), page.height() / size.height());
    painter.translate((page.width() - size.width() * scale) / 2.0,
                      (page.height() - size.height() * scale) / 2.0);
    painter.scale(scale, scale);
    widget->render(&painter);
    return painter.end();
}

void PrintPanelRole(ui::Role role) {
    QWidget* widget = ui::FindWidget(role);
    if (!widget) return; // no window: nothing to print
    // Screen resolution: the panel as shown; text and lines stay vectors in a PDF file, and
    // the styles' pixmaps are not blown up to the printer's resolution (seconds per page).
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setPageOrientation(QPageLayout::Landscape); // the panels are wider than tall
    printer.setDocName(QString());
    const PrintDialogStep& step = DialogStep();
    const bool accepted =
        step ? step(printer, widget->window()) : QtPrintDialog(printer, widget->window());
    if (!accepted) return;
    bool printed = false;
    {
        const ui::BusyCursor busy;
        printed = PrintWidget(widget, printer);
    }
    if (!printed)
        ui::MessagePopup("PRINT", "The panel could not be printed: the printer or the output "
                                  "file could not be opened.");
}

void PrintAllMenu() {
    PrintPanelRole("MainPanel");
}
void PrintOutputPlot() {
    PrintPanelRole("PlotPage");
}
void PrintSpectralPlot() {
    PrintPanelRole("AnalysisPage");
}
void PrintConfigureTab() {
    PrintPanelRole("ConfigPage");
}

} // namespace undarix::analysis
