#include "ui/Controls.h"

#include "ui/ControlRegistry.h"
#include "ui/ControlValues.h"
#include "ui/NumberText.h"
#include "ui/widgets/Gauge.h"
#include "ui/widgets/Led.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>

#include <cmath>

namespace undarix::ui {
namespace {

void SetValue(Role role, const QVariant& value) {
    ControlEntry& entry = Entry(role);
    if (entry.object) WriteWidgetValue(entry.object, value);
    else entry.value = value;
}

QVariant GetValue(Role role) {
    ControlEntry& entry = Entry(role);
    return entry.object ? ReadWidgetValue(entry.object) : entry.value;
}

QWidget* WidgetOf(ControlEntry& entry) { return qobject_cast<QWidget*>(entry.object.data()); }

} // namespace

void SetInt(Role role, int value) { SetValue(role, value); }
void SetReal(Role role, double value) { SetValue(role, value); }
void SetText(Role role, const QString& text) { SetValue(role, text); }
void SetU64(Role role, std::uint64_t value) { SetValue(role, QVariant::fromValue(qulonglong(value))); }

int GetInt(Role role) {
    const QVariant value = GetValue(role);
    switch (value.typeId()) {
    case QMetaType::Double: return static_cast<int>(value.toDouble()); // toward zero
    case QMetaType::QString: return static_cast<int>(ReadReal(value.toString()));
    default: return static_cast<int>(value.toLongLong());
    }
}

double GetReal(Role role) {
    const QVariant value = GetValue(role);
    return value.typeId() == QMetaType::QString ? ReadReal(value.toString()) : value.toDouble();
}

QString GetText(Role role) { return GetValue(role).toString(); }

std::uint64_t GetU64(Role role) {
    const QVariant value = GetValue(role);
    if (value.typeId() == QMetaType::QString) return value.toString().toULongLong(nullptr, 16);
    return value.toULongLong();
}

void DefaultCtrl(Role role) { SetValue(role, Entry(role).defaultValue); }

void SetDimmed(Role role, bool dimmed) {
    ControlEntry& entry = Entry(role);
    entry.dimmed = dimmed;
    if (QWidget* widget = WidgetOf(entry)) widget->setEnabled(!dimmed);
    else if (auto* action = qobject_cast<QAction*>(entry.object)) action->setEnabled(!dimmed);
}

bool IsDimmed(Role role) { return Entry(role).dimmed; }

void SetVisible(Role role, bool visible) {
    ControlEntry& entry = Entry(role);
    entry.visible = visible;
    if (QWidget* widget = WidgetOf(entry)) widget->setVisible(visible);
    else if (auto* action = qobject_cast<QAction*>(entry.object)) action->setVisible(visible);
}

bool IsVisible(Role role) { return Entry(role).visible; }

void SetTextColor(Role role, std::uint32_t rgb) {
    ControlEntry& entry = Entry(role);
    entry.textColor = rgb;
    QWidget* widget = WidgetOf(entry);
    if (!widget) return;
    QPalette palette = widget->palette();
    const QColor color = QColor::fromRgb(rgb);
    for (QPalette::ColorRole colorRole : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(colorRole, color);
    widget->setPalette(palette);
}

std::uint32_t GetTextColor(Role role) { return Entry(role).textColor; }

void SetButtonMark(Role role, std::uint32_t rgb) {
    ControlEntry& entry = Entry(role);
    entry.buttonMark = rgb;
    QWidget* widget = WidgetOf(entry);
    if (!widget) return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Button, rgb == 0 ? QApplication::palette(widget).color(QPalette::Button)
                                                : QColor::fromRgb(rgb));
    widget->setPalette(palette);
    widget->setAutoFillBackground(rgb != 0);
}

std::uint32_t GetButtonMark(Role role) { return Entry(role).buttonMark; }

void SetLabel(Role role, const QString& label) {
    ControlEntry& entry = Entry(role);
    entry.label = label;
    QObject* object = entry.object;
    if (auto* button = qobject_cast<QAbstractButton*>(object)) button->setText(label);
    else if (auto* group = qobject_cast<QGroupBox*>(object)) group->setTitle(label);
    else if (auto* text = qobject_cast<QLabel*>(object)) text->setText(label);
    else if (auto* gauge = qobject_cast<Gauge*>(object)) gauge->setCaption(label);
    else if (auto* action = qobject_cast<QAction*>(object)) action->setText(label);
}

QString GetLabel(Role role) {
    ControlEntry& entry = Entry(role);
    QObject* object = entry.object;
    if (auto* button = qobject_cast<QAbstractButton*>(object)) return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(object)) return group->title();
    if (auto* gauge = qobject_cast<Gauge*>(object)) return gauge->caption();
    if (auto* action = qobject_cast<QAction*>(object)) return action->text();
    return entry.label;
}

void SetRange(Role role, double minimum, double maximum) {
    ControlEntry& entry = Entry(role);
    entry.maximum = maximum;
    QObject* object = entry.object;
    const QSignalBlocker blocker(object);
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(object)) spin->setRange(minimum, maximum);
    else if (auto* spin = qobject_cast<QSpinBox*>(object))
        spin->setRange(int(std::lround(minimum)), int(std::lround(maximum)));
}

double GetMaximum(Role role) {
    ControlEntry& entry = Entry(role);
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(entry.object)) return spin->maximum();
    if (auto* spin = qobject_cast<QSpinBox*>(entry.object)) return spin->maximum();
    return entry.maximum;
}

void SetLedColor(Role role, std::uint32_t rgb) {
    ControlEntry& entry = Entry(role);
    entry.ledColor = rgb;
    if (auto* led = qobject_cast<Led*>(entry.object)) led->setOnColor(QColor::fromRgb(rgb));
}

std::uint32_t GetLedColor(Role role) { return Entry(role).ledColor; }

void ClearList(Role role) {
    ControlEntry& entry = Entry(role);
    entry.items.clear();
    if (auto* combo = qobject_cast<QComboBox*>(entry.object)) {
        const QSignalBlocker blocker(combo);
        combo->clear();
    }
}

void InsertListItem(Role role, const QString& label, int value) {
    ControlEntry& entry = Entry(role);
    entry.items.emplace_back(label, value);
    if (auto* combo = qobject_cast<QComboBox*>(entry.object)) {
        const QSignalBlocker blocker(combo);
        combo->addItem(label, value);
    }
}

int GetListCount(Role role) {
    ControlEntry& entry = Entry(role);
    if (auto* combo = qobject_cast<QComboBox*>(entry.object)) return combo->count();
    return int(entry.items.size());
}

QString GetListLabel(Role role, int index) {
    ControlEntry& entry = Entry(role);
    if (auto* combo = qobject_cast<QComboBox*>(entry.object)) return combo->itemText(index);
    return index >= 0 && index < int(entry.items.size()) ? entry.items[index].first : QString();
}

int GetListValue(Role role, int index) {
    ControlEntry& entry = Entry(role);
    if (auto* combo = qobject_cast<QComboBox*>(entry.object)) return combo->itemData(index).toInt();
    return index >= 0 && index < int(entry.items.size()) ? entry.items[index].second : 0;
}

void SetTableCell(Role role, int row, int column, double value) {
    ControlEntry& entry = Entry(role);
    auto* table = qobject_cast<QTableWidget*>(entry.object);
    if (!table) {
        entry.cells[{row, column}] = value;
        return;
    }
    const QSignalBlocker blocker(table);
    QTableWidgetItem* item = table->item(row - 1, column - 1);
    if (!item) {
        item = new QTableWidgetItem;
        table->setItem(row - 1, column - 1, item);
    }
    item->setText(RealText(value, table->property("decimals").isValid()
                                      ? table->property("decimals").toInt()
                                      : 4));
}

double GetTableCell(Role role, int row, int column) {
    ControlEntry& entry = Entry(role);
    auto* table = qobject_cast<QTableWidget*>(entry.object);
    if (!table) {
        auto it = entry.cells.find({row, column});
        return it == entry.cells.end() ? 0.0 : it->second;
    }
    const QTableWidgetItem* item = table->item(row - 1, column - 1);
    return item ? ReadReal(item->text()) : 0.0;
}

void SetGaugeRamp(Role role, double minimum, double maximum, const std::vector<ColorStop>& stops,
                  std::uint32_t above) {
    ControlEntry& entry = Entry(role);
    entry.maximum = maximum;
    if (auto* gauge = qobject_cast<Gauge*>(entry.object)) {
        std::vector<Gauge::Stop> ramp;
        for (const ColorStop& stop : stops) ramp.push_back({stop.value, stop.rgb});
        gauge->setRamp(minimum, maximum, std::move(ramp), above);
    }
}

QWidget* FindWidget(Role role) { return WidgetOf(Entry(role)); }

} // namespace undarix::ui
