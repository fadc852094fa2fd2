#include "ui/NumberText.h"

#include <QRegularExpression>

namespace undarix::ui {

void UseNumberLocale(const QLocale& locale) {
    QLocale shown(locale);
    shown.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    QLocale::setDefault(shown);
}

QString RealText(double value, int decimals) {
    return QLocale().toString(value, 'f', decimals);
}

QString NumberTextForFormat(const QString& format, double value) {
    const QByteArray printf = format.toLatin1();
    const QChar conversion = format.isEmpty() ? QChar() : format.back();
    if (QString("diuxXc").contains(conversion))
        return QString::asprintf(printf.constData(), int(value));
    // Qt's printf writes a point in every locale; the one point it writes is the separator.
    QString text = QString::asprintf(printf.constData(), value);
    const QString point = QLocale().decimalPoint();
    if (point != ".") text.replace('.', point);
    return text;
}

double ReadReal(const QString& text, bool* ok) {
    const QString trimmed = text.trimmed();
    bool read = false;
    double value = QLocale().toDouble(trimmed, &read);
    if (!read) value = QLocale::c().toDouble(trimmed, &read);
    if (ok) *ok = read;
    return read ? value : 0.0;
}

QString LocalizeDecimals(const QString& text) {
    const QString point = QLocale().decimalPoint();
    if (point == ".") return text;
    // A number standing alone: not part of a word, a path, a file name (site_v1.5.csv,
    // 2.5.api), a host or an address (mqtt-1.2.example.org, 192.168.1.10), which the user
    // must find again as written.
    static const QRegularExpression decimal(
        R"((?<![\w.\/\\])(\d+)\.(\d+)(?![\d\/\\]|\.\w))");
    QString result = text;
    result.replace(decimal, "\\1" + point + "\\2");
    return result;
}

} // namespace undarix::ui
