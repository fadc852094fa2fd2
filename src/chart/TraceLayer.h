#pragma once

// The traces on the chart's graph. They are drawn into an image of the plot area that keeps
// what was drawn: at a repaint only the plots that came since are added to it, and the whole
// image is drawn again only after the plots were deleted or the area changed size. Exports
// (printing, saving) draw every line straight onto their device.

#include <QColor>
#include <QImage>
#include <QRect>
#include <qcustomplot.h>

#include <vector>

namespace undarix::chart {

// The colour of a trace (0 to 7), fixed by its number.
[[nodiscard]] QColor TraceColor(int trace);

class TraceLayer : public QCPLayerable {
public:
    TraceLayer(QCustomPlot* plot, const QString& layerName);

    // How often the whole image was drawn again, and how often plots were only added.
    [[nodiscard]] int FullRedraws() const { return fullRedraws_; }
    [[nodiscard]] int AddedDraws() const { return addedDraws_; }

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override;
    QRect clipRect() const override;
    void draw(QCPPainter* painter) override;

private:
    QImage cache_;
    QRect cacheArea_;
    std::vector<QPointF> line_; // reused for every line drawn
    int fullRedraws_ = 0;
    int addedDraws_ = 0;
};

} // namespace undarix::chart
