#include "chart/ChartGraph.h"

#include "chart/ChartState.h"
#include "chart/CursorDrag.h"
#include "chart/PlotPageRoles.h"
#include "chart/TraceLayer.h"
#include "core/ProgramState.h"
#include "ui/Controls.h"

#include <QPointer>
#include <QTimer>
#include <qcustomplot.h>

namespace undarix::chart {
namespace {

constexpr const char* kTracesLayer = "traces";
constexpr const char* kCursorLayer = "overlay"; // QCustomPlot's own buffered top layer

const QColor kCursorColors[kCursorCount] = {QColor(0, 128, 128), QColor(192, 0, 192)};

struct GraphParts {
    QPointer<QCustomPlot> plot;
    TraceLayer* traces = nullptr;
    QCPItemStraightLine* timeLine[kCursorCount] = {};
    QCPItemStraightLine* levelLine[kCursorCount] = {};
    QCPItemText* label[kCursorCount] = {};
    QTimer* repaintTimer = nullptr;
    bool axesChanged = false;
    int repaints = 0;
};

GraphParts& Parts() {
    static GraphParts parts;
    return parts;
}

QCustomPlot* Plot() {
    return Parts().plot.data();
}

void StyleAxis(QCPAxis* axis, const QString& label) {
    axis->setLabel(label);
    axis->grid()->setPen(QPen(QColor(200, 200, 200), 0, Qt::DotLine));
    axis->setSubTicks(false);
}

void MakeCursor(QCustomPlot* plot, int c) {
    GraphParts& parts = Parts();
    QPen pen(kCursorColors[c], 1, Qt::DashLine);
    for (QCPItemStraightLine** line : {&parts.timeLine[c], &parts.levelLine[c]}) {
        *line = new QCPItemStraightLine(plot);
        (*line)->setLayer(kCursorLayer);
        (*line)->setPen(pen);
        (*line)->setSelectable(false);
    }
    QCPItemText* label = new QCPItemText(plot);
    label->setLayer(kCursorLayer);
    label->setText(QString::number(c + 1));
    label->setColor(Qt::white);
    label->setBrush(kCursorColors[c]);
    label->setPadding(QMargins(3, 0, 3, 0));
    label->setPositionAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    label->setSelectable(false);
    parts.label[c] = label;
}

} // namespace

void AttachChartGraph() {
    DetachChartGraph();
    GraphParts& parts = Parts();
    QCustomPlot* plot = ui::Widget<QCustomPlot>(roles::Graph);
    if (!plot) return;
    parts.plot = plot;

    plot->setInteractions({});
    plot->setAntialiasedElements(QCP::aeNone);
    plot->setNotAntialiasedElements(QCP::aeAll);
    StyleAxis(plot->xAxis, QObject::tr("Time (s)"));
    StyleAxis(plot->yAxis, QObject::tr("Level (m)"));
    plot->axisRect()->setupFullAxesBox(false);

    // The traces have a paint buffer of their own, so a repaint for new packets redraws
    // neither the axes nor the cursors.
    plot->addLayer(kTracesLayer, plot->layer("main"), QCustomPlot::limAbove);
    plot->layer(kTracesLayer)->setMode(QCPLayer::lmBuffered);
    parts.traces = new TraceLayer(plot, kTracesLayer);
    for (int c = 0; c < kCursorCount; ++c)
        MakeCursor(plot, c);
    new CursorDrag(plot);

    parts.repaintTimer = new QTimer(plot);
    parts.repaintTimer->setSingleShot(true);
    parts.repaintTimer->setInterval(kRepaintIntervalMs);
    QObject::connect(parts.repaintTimer, &QTimer::timeout, plot, [] { RepaintGraphNow(); });

    ApplyGraphAxes();
}

void DetachChartGraph() {
    GraphParts& parts = Parts();
    if (parts.repaintTimer && parts.plot) parts.repaintTimer->stop();
    parts = GraphParts{};
}

bool HasChartGraph() {
    return Plot() != nullptr;
}

void ApplyGraphAxes() {
    QCustomPlot* plot = Plot();
    if (!plot) return;
    using core::Program;
    plot->xAxis->setRange(0.0, kGraphWidth * Chart.xGain);
    plot->yAxis->setRange(Program.YOffset, double(Program.YOffset) + Program.YRange);
    plot->xAxis2->setRange(plot->xAxis->range());
    plot->yAxis2->setRange(plot->yAxis->range());
    Parts().axesChanged = true;
    ShowGraphCursors();
    ScheduleGraphRepaint();
}

void ShowGraphCursors() {
    QCustomPlot* plot = Plot();
    if (!plot) return;
    using core::Program;
    GraphParts& parts = Parts();
    for (int c = 0; c < kCursorCount; ++c) {
        const double x = Chart.cursor[c].x * Chart.xGain;
        const double y = Chart.cursor[c].y * double(Program.YRange) + double(Program.YOffset);
        parts.timeLine[c]->point1->setCoords(x, Program.YOffset);
        parts.timeLine[c]->point2->setCoords(x, double(Program.YOffset) + Program.YRange);
        parts.levelLine[c]->point1->setCoords(0.0, y);
        parts.levelLine[c]->point2->setCoords(kGraphWidth * Chart.xGain, y);
        parts.label[c]->position->setCoords(x, 0.0);
    }
    plot->layer(kCursorLayer)->replot();
}

void ScheduleGraphRepaint() {
    GraphParts& parts = Parts();
    if (!parts.plot || parts.repaintTimer->isActive()) return;
    parts.repaintTimer->start();
}

void RepaintGraphNow() {
    GraphParts& parts = Parts();
    QCustomPlot* plot = parts.plot.data();
    if (!plot) return;
    parts.repaintTimer->stop();
    ++parts.repaints;
    if (parts.axesChanged) {
        parts.axesChanged = false;
        plot->replot(QCustomPlot::rpImmediateRefresh);
    } else {
        plot->layer(kTracesLayer)->replot();
    }
}

int GraphRepaintCount() {
    return Parts().repaints;
}

int GraphFullRedrawCount() {
    return Plot() ? Parts().traces->FullRedraws() : 0;
}

} // namespace undarix::chart
