#include "chart/ChartExport.h"

#include "chart/ChartFifo.h"
#include "chart/ChartGraph.h"
#include "chart/PlotPageRoles.h"
#include "chart/TraceLayer.h"
#include "chart/TracePlotting.h"
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

// What a chart on paper must say by itself: when it starts, and which line is which unit. The
// window shows both beside the graph; the file gets them on the graph for as long as it is
// written.
class LabelsForTheFile {
public:
    explicit LabelsForTheFile(QCustomPlot& plot) : plot_(plot) {
        const QString start = ui::GetText(roles::StartTimeText);
        const QString heading =
            start == kNoStartTime
                ? QString("Undarix chart: no data plotted yet")
                : QString("Undarix chart, start %1 (the units' clock)").arg(start);
        plot.plotLayout()->insertRow(0);
        title_ = new QCPTextElement(&plot, heading, QFont(plot.font().family(), 10, QFont::Bold));
        plot.plotLayout()->addElement(0, 0, title_);

        for (int t = 0; t < kTraceCount; ++t) {
            if (ChartFifo[t].deviceNumber == 0) continue;
            QCPGraph* entry = plot.addGraph(); // no data: only its legend line is drawn
            entry->setPen(QPen(TraceColor(t), 2));
            entry->setName(
                QString("Trace %1: device %2").arg(t + 1).arg(ChartFifo[t].deviceNumber));
            entries_ << entry;
        }
        legendWasVisible_ = plot.legend->visible();
        plot.legend->setVisible(!entries_.isEmpty());
        plot.axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
    }

    ~LabelsForTheFile() {
        for (QCPGraph* entry : entries_)
            plot_.removeGraph(entry);
        plot_.legend->setVisible(legendWasVisible_);
        plot_.plotLayout()->remove(title_);
        plot_.plotLayout()->simplify();
        plot_.replot(QCustomPlot::rpQueuedReplot);
    }

private:
    QCustomPlot& plot_;
    QCPTextElement* title_ = nullptr;
    QList<QCPGraph*> entries_;
    bool legendWasVisible_ = false;
};

bool WriteFile(QCustomPlot& plot, const QString& path, const QString& format) {
    const LabelsForTheFile labels(plot);
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
