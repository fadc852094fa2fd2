#include "analysis/SpectrumGraphs.h"

#include "analysis/AnalysisRoles.h"
#include "ui/Controls.h"

#include <qcustomplot.h>

#include <array>
#include <string>

namespace undarix::analysis {
namespace {

QCustomPlot* Graph(int graph) {
    return ui::Widget<QCustomPlot>(SpectrumGraphRole(graph));
}

} // namespace

int GraphForRange(double maxHz) {
    for (int i = 0; i < kSpectrumGraphCount; ++i)
        if (maxHz <= kGraphRangesHz[i]) return i;
    return kNoGraph;
}

const std::string& SpectrumGraphRole(int graph) {
    static const std::array<std::string, kSpectrumGraphCount> names = [] {
        std::array<std::string, kSpectrumGraphCount> built;
        for (int i = 0; i < kSpectrumGraphCount; ++i)
            built[i] = ui::ArrayItemName(roles::SpectrumGraph, i);
        return built;
    }();
    return names[graph];
}

void SetUpSpectrumGraphs() {
    for (int i = 0; i < kSpectrumGraphCount; ++i) {
        QCustomPlot* plot = Graph(i);
        if (!plot) continue;
        plot->xAxis->setRange(0.0, kGraphRangesHz[i]);
        plot->xAxis->setLabel("Frequency (Hz)");
        plot->yAxis->setRange(0.0, 1.0);
        plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
        plot->axisRect()->setRangeDrag(Qt::Vertical);
        plot->axisRect()->setRangeZoom(Qt::Vertical);
    }
}

void ShowSpectrumGraph(int graph) {
    for (int i = 0; i < kSpectrumGraphCount; ++i)
        ui::SetVisible(SpectrumGraphRole(i), false);
    if (graph != kNoGraph) ui::SetVisible(SpectrumGraphRole(graph), true);
}

void DeleteSpectrumPlots() {
    for (int i = 0; i < kSpectrumGraphCount; ++i) {
        QCustomPlot* plot = Graph(i);
        if (!plot) continue;
        plot->clearGraphs();
        plot->replot(QCustomPlot::rpQueuedReplot);
    }
}

void PlotSpectrum(int graph, const double* values, int count, double df, std::uint32_t rgb,
                  const QString& unit) {
    if (graph == kNoGraph) return;
    QCustomPlot* plot = Graph(graph);
    if (!plot) return;
    QVector<double> keys(count), levels(count);
    for (int k = 0; k < count; ++k) {
        keys[k] = k * df;
        levels[k] = values[k];
    }
    QCPGraph* line = plot->addGraph();
    line->setData(keys, levels, true);
    line->setPen(QPen(QColor::fromRgb(rgb), 1.0));
    line->setLineStyle(QCPGraph::lsLine);
    line->setScatterStyle(QCPScatterStyle::ssNone);
    plot->yAxis->setLabel(unit);
    bool found = false;
    const QCPRange shown = line->getValueRange(found, QCP::sdBoth, plot->xAxis->range());
    if (found) {
        // A flat spectrum still gets an axis of some height.
        const double margin = shown.size() > 0.0 ? shown.size() * 0.05 : 1.0;
        plot->yAxis->setRange(shown.lower - margin, shown.upper + margin);
    }
    plot->replot(QCustomPlot::rpQueuedReplot);
}

} // namespace undarix::analysis
