#pragma once

#include <QLineEdit>

#include <cstdint>

namespace undarix::ui {

// An entry for a 64-bit number typed and shown in hexadecimal (network addresses, PAN IDs).
class HexField : public QLineEdit {
    Q_OBJECT

public:
    explicit HexField(QWidget* parent = nullptr);

    [[nodiscard]] std::uint64_t value() const;
    void setValue(std::uint64_t value);

    // Digits shown: addresses show all 16, PAN IDs as few as the value needs.
    void setPadded(bool padded) { padded_ = padded; }

private:
    bool padded_ = false;
};

} // namespace undarix::ui
