#include "ui/widgets/Led.h"

#include <QPainter>

namespace undarix::ui {

Led::Led(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Led::setOn(bool on) {
    if (on_ == on) return;
    on_ = on;
    update();
}

void Led::setOnColor(const QColor& color) {
    if (onColor_ == color) return;
    onColor_ = color;
    update();
}

void Led::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height()) - 2;
    const QRectF lamp((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    QColor fill = on_ ? onColor_ : QColor(0x50, 0x50, 0x50);
    if (!isEnabled()) fill = fill.lighter(160);
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    painter.setBrush(fill);
    painter.drawEllipse(lamp);
}

} // namespace undarix::ui
