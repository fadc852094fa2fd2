#pragma once

#include <QColor>
#include <QWidget>

namespace undarix::ui {

// A round indicator lamp: lit in its on-colour, dark grey when off.
class Led : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool on READ isOn WRITE setOn)
    Q_PROPERTY(QColor onColor READ onColor WRITE setOnColor)

public:
    explicit Led(QWidget* parent = nullptr);

    [[nodiscard]] bool isOn() const { return on_; }
    void setOn(bool on);
    [[nodiscard]] QColor onColor() const { return onColor_; }
    void setOnColor(const QColor& color);

    [[nodiscard]] QSize sizeHint() const override { return {18, 18}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool on_ = false;
    QColor onColor_{0x00, 0xCC, 0x00};
};

} // namespace undarix::ui
