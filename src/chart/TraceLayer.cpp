#include "chart/TraceLayer.h"

#include "chart/ChartFifo.h"
#include "chart/ChartState.h"
#include "chart/GraphPlots.h"
#include "core/ProgramState.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace undarix::chart {
namespace {

// Graph coordinates (x 0 to 16, y 0 to 1) to pixels: pixel = offset + gain x coordinate.
struct PixelMap {
    double xGain = 0.0, xOffset = 0.0, yGain = 0.0, yOffset = 0.0;
};

PixelMap MapOf(QCPAxisRect* rect) {
    using core::Program;
    QCPAxis* x = rect->axis(QCPAxis::atBottom);
    QCPAxis* y = rect->axis(QCPAxis::atLeft);
    PixelMap map;
    map.xOffset = x->coordToPixel(0.0);
    map.xGain = (x->coordToPixel(kGraphWidth * Chart.xGain) - map.xOffset) / kGraphWidth;
    map.yOffset = y->coordToPixel(Program.YOffset);
    map.yGain = y->coordToPixel(double(Program.YOffset) + Program.YRange) - map.yOffset;
    return map;
}

// Builds one line, keeping at most two points per pixel column (its lowest and highest, in
// the order that continues the line), so a full trace of 55,296 points costs about as much to
// draw as the graph is wide.
class LineBuilder {
public:
    explicit LineBuilder(std::vector<QPointF>& points) : points_(points) { points_.clear(); }

    void Add(double x, double y) {
        const int column = int(std::floor(x));
        if (count_ > 0 && column == column_) {
            minY_ = std::min(minY_, y);
            maxY_ = std::max(maxY_, y);
            ++count_;
            return;
        }
        EndColumn();
        column_ = column;
        x_ = x;
        firstY_ = minY_ = maxY_ = y;
        count_ = 1;
    }

    // Draws the line (a lone point as a dot) and starts the next one empty.
    void Draw(QPainter& painter) {
        EndColumn();
        if (points_.size() == 1)
            painter.drawPoint(points_.front());
        else if (points_.size() > 1)
            painter.drawPolyline(points_.data(), int(points_.size()));
        points_.clear();
    }

private:
    void EndColumn() {
        if (count_ == 0) return;
        if (count_ == 1 || minY_ == maxY_) {
            points_.emplace_back(x_, firstY_);
        } else if (firstY_ - minY_ < maxY_ - firstY_) {
            points_.emplace_back(x_, minY_);
            points_.emplace_back(x_, maxY_);
        } else {
            points_.emplace_back(x_, maxY_);
            points_.emplace_back(x_, minY_);
        }
        count_ = 0;
    }

    std::vector<QPointF>& points_;
    int column_ = 0;
    int count_ = 0;
    double x_ = 0, firstY_ = 0, minY_ = 0, maxY_ = 0;
};

// Far-off values are held well outside the area; the raster engine misbehaves on huge
// coordinates, and the visible part of such a line stays as it was.
constexpr double kFarPixels = 1e6;

// Draws the marked points first..last of a trace. The point `first` begins a line even when
// joined to the one before: that join was drawn with the earlier plot.
void DrawRange(QPainter& painter, const PixelMap& map, int t, int first, int last,
               std::vector<QPointF>& points) {
    const std::uint8_t* marks = GraphPlots.marks[t];
    const Trace& trace = ChartFifo[t];
    LineBuilder line(points);
    for (int i = first; i <= last; ++i) {
        const std::uint8_t mark = marks[i];
        if (!(mark & kPointDrawn)) {
            line.Draw(painter);
            continue;
        }
        if (!(mark & kJoinedToPrevious) || i == first) line.Draw(painter);
        const double y = map.yOffset + map.yGain * trace.plotY[i];
        if (!std::isfinite(y)) {
            line.Draw(painter);
            continue;
        }
        line.Add(map.xOffset + map.xGain * trace.plotX[i], std::clamp(y, -kFarPixels, kFarPixels));
    }
    line.Draw(painter);
}

QPen TracePen(int trace) {
    QPen pen(TraceColor(trace));
    pen.setCosmetic(true);
    pen.setWidth(1);
    return pen;
}

void DrawAll(QPainter& painter, const PixelMap& map, std::vector<QPointF>& points) {
    for (int t = 0; t < kTraceCount; ++t) {
        if (GraphPlots.markedEnd[t] == 0) continue;
        painter.setPen(TracePen(t));
        DrawRange(painter, map, t, 0, GraphPlots.markedEnd[t] - 1, points);
    }
}

void DrawPending(QPainter& painter, const PixelMap& map, std::vector<QPointF>& points) {
    for (int i = 0; i < GraphPlots.pendingCount; ++i) {
        const PointRange& range = GraphPlots.pending[i];
        painter.setPen(TracePen(range.trace));
        DrawRange(painter, map, range.trace, range.first, range.last, points);
    }
}

} // namespace

QColor TraceColor(int trace) {
    static const QColor colors[kTraceCount] = {
        QColor(255, 0, 0),   QColor(0, 0, 255),     QColor(0, 153, 0),   QColor(0, 0, 0),
        QColor(255, 153, 0), QColor(153, 102, 255), QColor(153, 255, 0), QColor(176, 176, 176)};
    return trace >= 0 && trace < kTraceCount ? colors[trace] : QColor(Qt::black);
}

TraceLayer::TraceLayer(QCustomPlot* plot, const QString& layerName)
    : QCPLayerable(plot, layerName) {}

void TraceLayer::applyDefaultAntialiasingHint(QCPPainter* painter) const {
    painter->setAntialiasing(false);
}

QRect TraceLayer::clipRect() const {
    return parentPlot()->axisRect()->rect();
}

void TraceLayer::draw(QCPPainter* painter) {
    QCPAxisRect* rect = parentPlot()->axisRect();
    const QRect area = rect->rect();
    if (area.isEmpty()) return;
    const PixelMap map = MapOf(rect);
    if (painter->modes() & (QCPPainter::pmVectorized | QCPPainter::pmNoCaching)) {
        DrawAll(*painter, map, line_);
        return;
    }

    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QSize pixels = (QSizeF(area.size()) * ratio).toSize();
    const bool redrawAll = GraphPlots.redrawAll || cache_.size() != pixels || cacheArea_ != area;
    if (cache_.size() != pixels) {
        cache_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        cache_.setDevicePixelRatio(ratio);
    }
    cacheArea_ = area;
    if (redrawAll) cache_.fill(Qt::transparent);
    {
        QPainter image(&cache_);
        image.translate(-area.topLeft());
        if (redrawAll) {
            DrawAll(image, map, line_);
            ++fullRedraws_;
        } else {
            DrawPending(image, map, line_);
            ++addedDraws_;
        }
    }
    GraphPlots.pendingCount = 0;
    GraphPlots.redrawAll = false;
    painter->drawImage(area.topLeft(), cache_);
}

} // namespace undarix::chart
