#pragma once

#include <QWidget>

#include <cstdint>
#include <vector>

namespace undarix::ui {

// A horizontal meter with a caption, whose bar takes the colour of its ramp at the reading.
class Gauge : public QWidget {
    Q_OBJECT

public:
    struct Stop {
        double value;
        std::uint32_t rgb;
    };

    explicit Gauge(QWidget* parent = nullptr);

    [[nodiscard]] double value() const { return value_; }
    void setValue(double value);
    [[nodiscard]] QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    // What the meter writes above its bar: the caption and the reading in volts.
    [[nodiscard]] QString text() const;
    void setRamp(double minimum, double maximum, std::vector<Stop> stops, std::uint32_t above);
    [[nodiscard]] double minimum() const { return minimum_; }
    [[nodiscard]] double maximum() const { return maximum_; }
    // The colour the bar takes at a reading: the first stop the reading does not exceed.
    [[nodiscard]] std::uint32_t colorAt(double reading) const;

    [[nodiscard]] QSize sizeHint() const override { return {180, 40}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double value_ = 0.0;
    double minimum_ = 0.0;
    double maximum_ = 1.0;
    std::vector<Stop> stops_;
    std::uint32_t above_ = 0x009900;
    QString caption_;
};

} // namespace undarix::ui
