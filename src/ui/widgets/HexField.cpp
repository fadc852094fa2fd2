#include "ui/widgets/HexField.h"

#include <QRegularExpressionValidator>

namespace undarix::ui {

HexField::HexField(QWidget* parent) : QLineEdit(parent) {
    setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9A-Fa-f]{0,16}"), this));
    setText("0");
}

std::uint64_t HexField::value() const {
    bool ok = false;
    const std::uint64_t v = text().toULongLong(&ok, 16);
    return ok ? v : 0;
}

void HexField::setValue(std::uint64_t value) {
    setText(QString("%1").arg(value, padded_ ? 16 : 0, 16, QChar('0')).toUpper());
}

} // namespace undarix::ui
