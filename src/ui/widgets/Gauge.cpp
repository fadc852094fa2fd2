#include "ui/widgets/Gauge.h"

#include "ui/NumberText.h"

#include <QPainter>

#include <algorithm>

namespace undarix::ui {

Gauge::Gauge(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumHeight(40);
}

void Gauge::setValue(double value) {
    value_ = value;
    update();
}

void Gauge::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void Gauge::setRamp(double minimum, double maximum, std::vector<Stop> stops, std::uint32_t above) {
    minimum_ = minimum;
    maximum_ = maximum;
    stops_ = std::move(stops);
    above_ = above;
    update();
}

std::uint32_t Gauge::colorAt(double reading) const {
    for (const Stop& stop : stops_)
        if (reading <= stop.value) return stop.rgb;
    return above_;
}

QString Gauge::text() const {
    return QString("%1  %2 V").arg(caption_, RealText(value_, 2));
}

void Gauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect textArea = rect().adjusted(0, 0, 0, -22);
    const QRect bar = rect().adjusted(1, height() - 20, -1, -1);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, text());
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRect(bar);
    const double span = maximum_ - minimum_;
    const double fraction = span > 0 ? std::clamp((value_ - minimum_) / span, 0.0, 1.0) : 0.0;
    QColor fill = QColor::fromRgb(colorAt(value_));
    if (!isEnabled()) fill = QColor(0xC0, 0xC0, 0xC0);
    painter.fillRect(
        QRect(bar.left() + 1, bar.top() + 1, int((bar.width() - 1) * fraction), bar.height() - 1),
        fill);
}

} // namespace undarix::ui
