#pragma once

// Numbers a person reads and types in the window follow the user's locale: a German sees and
// types "4,500 m" everywhere, in fields, table cells, results, messages and help alike. What
// goes to units, files and the network never passes through here and keeps its point.

#include <QLocale>
#include <QString>

namespace undarix::ui {

// Makes `locale` the window's number format (Qt's default locale, which spin boxes and graph
// axes follow too), without thousands separators: "1.500" would read as one and a half.
void UseNumberLocale(const QLocale& locale = QLocale::system());

// `value` with `decimals` places in the window's format.
[[nodiscard]] QString RealText(double value, int decimals);
// `value` in a printf format ("%.3f", "%i") with the window's decimal separator.
[[nodiscard]] QString NumberTextForFormat(const QString& format, double value);
// A number a person typed or the window shows: in the window's format, or with a point (a
// value pasted from a file); `ok` says whether it was one.
[[nodiscard]] double ReadReal(const QString& text, bool* ok = nullptr);
// A fixed text with decimal numbers in it ("0.01 Hz high-pass") in the window's format.
// Numbers with more than one point (a version, an address) are left as they are.
[[nodiscard]] QString LocalizeDecimals(const QString& text);

} // namespace undarix::ui
