#include "chart/ChartExport.h"

#include "chart/ChartGraph.h"
#include "chart/PlotPageRoles.h"
#include "ui/Controls.h"
#include "ui/ExportToFile.h"
#include "ui/Popups.h"

#include <QFileInfo>
#include <QSvgGenerator>
#include <qcustomplot.h>

namespace undarix::chart {
namespace {

// The graph's size as shown; a graph never shown (a script, a test) at its least size.
QSize ShownSize(const QCustomPlot& plot) {
    return plot.size().expandedTo(plot.minimumSize()).expandedTo(QSize(320, 200));
}

bool WriteSvg(QCustomPlot& plot, const QString& path, QSize size) {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle("Undarix chart");
    QCPPainter painter;
    if (!painter.begin(&svg)) return false;
    plot.toPainter(&painter, size.width(), size.height());
    return painter.end();
}

bool WriteFile(QCustomPlot& plot, const QString& path, const QString& format) {
    const QSize size = ShownSize(plot);
    if (format == "png") return plot.savePng(path, size.width(), size.height(), 1.0, -1);
    if (format == "pdf")
        return plot.savePdf(path, size.width(), size.height(), QCP::epAllowCosmetic, "Undarix",
                            "Undarix chart");
    return WriteSvg(plot, path, size);
}

} // namespace

QString ExportChartTo(const QString& path) {
    const QString format = QFileInfo(path).suffix().toLower();
    if (format != "png" && format != "svg" && format != "pdf")
        return "The chart can be exported as a PNG or SVG image or a PDF page: end the file "
               "name in .png, .svg or .pdf.";
    QCustomPlot* plot = ui::Widget<QCustomPlot>(roles::Graph);
    if (!plot) return "There is no chart to export.";
    RepaintGraphNow(); // packets that came since the last repaint are drawn too
    if (!WriteFile(*plot, path, format))
        return QString("The file %1 could not be written.").arg(path);
    return {};
}

void ExportChart() {
    ui::ExportToChosenFile(
        {"Export Chart", "PNG image (*.png)", "SVG image (*.svg);PDF document (*.pdf)", true},
        "EXPORT CHART", "Chart", ExportChartTo);
}

} // namespace undarix::chart
