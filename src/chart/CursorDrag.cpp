#include "chart/CursorDrag.h"

#include "chart/ChartCursors.h"
#include "chart/PlotPageRoles.h"
#include "core/ProgramState.h"
#include "ui/ControlRegistry.h"

#include <qcustomplot.h>

#include <cmath>

namespace undarix::chart {
namespace {

constexpr double kGrabPixels = 6.0;

QPointF PixelOf(QCustomPlot* plot, const CursorPosition& at) {
    using core::Program;
    return {plot->xAxis->coordToPixel(at.x * Chart.xGain),
            plot->yAxis->coordToPixel(at.y * double(Program.YRange) + double(Program.YOffset))};
}

} // namespace

CursorDrag::CursorDrag(QCustomPlot* plot) : QObject(plot), plot_(plot) {
    plot->setMouseTracking(true);
    connect(plot, &QCustomPlot::mousePress, this, &CursorDrag::Press);
    connect(plot, &QCustomPlot::mouseMove, this, &CursorDrag::Move);
    connect(plot, &QCustomPlot::mouseRelease, this, &CursorDrag::Release);
}

CursorDrag::Grab CursorDrag::GrabAt(const QPointF& pixel) const {
    Grab best;
    double bestDistance = kGrabPixels + 1.0;
    if (!plot_->axisRect()->rect().adjusted(-3, -3, 3, 3).contains(pixel.toPoint())) return best;
    for (int c = 0; c < kCursorCount; ++c) {
        const QPointF at = PixelOf(plot_, GetGraphCursor(c));
        const double dx = std::abs(pixel.x() - at.x());
        const double dy = std::abs(pixel.y() - at.y());
        const bool time = dx <= kGrabPixels;
        const bool level = dy <= kGrabPixels;
        if (!time && !level) continue;
        const double distance = time && level ? 0.0 : std::min(time ? dx : 1e9, level ? dy : 1e9);
        if (distance >= bestDistance) continue;
        bestDistance = distance;
        best = {c, time, level};
    }
    return best;
}

void CursorDrag::Press(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    grab_ = GrabAt(event->position());
}

void CursorDrag::Move(QMouseEvent* event) {
    using core::Program;
    if (grab_.cursor < 0) {
        const Grab hover = GrabAt(event->position());
        if (hover.time && hover.level)
            plot_->setCursor(Qt::SizeAllCursor);
        else if (hover.time)
            plot_->setCursor(Qt::SizeHorCursor);
        else if (hover.level)
            plot_->setCursor(Qt::SizeVerCursor);
        else
            plot_->unsetCursor();
        return;
    }
    CursorPosition at = GetGraphCursor(grab_.cursor);
    if (grab_.time) at.x = plot_->xAxis->pixelToCoord(event->position().x()) / Chart.xGain;
    if (grab_.level && Program.YRange != 0.0f)
        at.y = (plot_->yAxis->pixelToCoord(event->position().y()) - double(Program.YOffset)) /
               double(Program.YRange);
    SetGraphCursor(grab_.cursor, at.x, at.y);
    ui::Dispatch(roles::Graph, ui::Event::ValueChanged);
}

void CursorDrag::Release(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || grab_.cursor < 0) return;
    grab_ = {};
    ui::Dispatch(roles::Graph, ui::Event::Commit);
}

} // namespace undarix::chart
