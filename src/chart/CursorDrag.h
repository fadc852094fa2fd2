#pragma once

// Dragging the graph's cursors with the mouse. Grabbed near its vertical line a cursor moves
// in time, near its horizontal line in level, near their crossing in both. The graph reports
// each move as a value change and the release as a commit (`GraphOutput`).

#include <QObject>

class QCustomPlot;
class QMouseEvent;

namespace undarix::chart {

class CursorDrag : public QObject {
public:
    explicit CursorDrag(QCustomPlot* plot);

private:
    struct Grab {
        int cursor = -1;
        bool time = false;
        bool level = false;
    };
    [[nodiscard]] Grab GrabAt(const QPointF& pixel) const;
    void Press(QMouseEvent* event);
    void Move(QMouseEvent* event);
    void Release(QMouseEvent* event);

    QCustomPlot* plot_;
    Grab grab_;
};

} // namespace undarix::chart
