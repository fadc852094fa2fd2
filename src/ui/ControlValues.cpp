#include "ui/ControlValues.h"

#include "ui/ControlRegistry.h"
#include "ui/NumberText.h"
#include "ui/Popups.h"
#include "ui/ReadableText.h"
#include "ui/widgets/Gauge.h"
#include "ui/widgets/HexField.h"
#include "ui/widgets/Led.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>

namespace undarix::ui {
namespace {

bool IsIntegerConversion(const QString& format) {
    return format.endsWith('i') || format.endsWith('d') || format.endsWith('x') ||
           format.endsWith('X') || format.endsWith('u');
}

// An indicator's text for a value, in the printf format of its "format" property.
QString FormatForLabel(const QObject* label, const QVariant& value) {
    if (value.typeId() == QMetaType::QString) return value.toString();
    const QString format = label->property("format").toString();
    if (format == "hex16")
        return QString("%1").arg(value.toULongLong(), 16, 16, QChar('0')).toUpper();
    if (format.isEmpty()) {
        if (value.typeId() == QMetaType::Double)
            return QLocale().toString(value.toDouble(), 'g', 10);
        return value.toString();
    }
    if (IsIntegerConversion(format))
        return QString::asprintf(format.toLatin1().constData(), int(value.toLongLong()));
    return NumberTextForFormat(format, value.toDouble());
}

// A toggle button whose "checkedText" property is set says what a click will do: its Designer
// text while off, that text while on.
void ShowStateText(QAbstractButton* button) {
    const QVariant checkedText = button->property("checkedText");
    if (!checkedText.isValid() || !button->isCheckable()) return;
    if (!button->property("uncheckedText").isValid())
        button->setProperty("uncheckedText", button->text());
    button->setText(button->isChecked() ? checkedText.toString()
                                        : button->property("uncheckedText").toString());
}

} // namespace

QVariant ReadWidgetValue(QObject* object) {
    if (auto* hex = qobject_cast<HexField*>(object))
        return QVariant::fromValue(qulonglong(hex->value()));
    if (auto* led = qobject_cast<Led*>(object)) return int(led->isOn());
    if (auto* gauge = qobject_cast<Gauge*>(object)) return gauge->value();
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(object)) return spin->value();
    if (auto* spin = qobject_cast<QSpinBox*>(object)) return spin->value();
    if (auto* combo = qobject_cast<QComboBox*>(object)) {
        const QVariant data = combo->currentData();
        return data.isValid() ? QVariant(data.toInt()) : QVariant(combo->currentIndex());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(object))
        return button->isCheckable() ? int(button->isChecked()) : 0;
    if (auto* edit = qobject_cast<QLineEdit*>(object)) return edit->text();
    if (auto* label = qobject_cast<QLabel*>(object)) return label->text();
    if (auto* action = qobject_cast<QAction*>(object)) return int(action->isChecked());
    return {};
}

void WriteWidgetValue(QObject* object, const QVariant& value) {
    const QSignalBlocker blocker(object);
    if (auto* hex = qobject_cast<HexField*>(object)) return hex->setValue(value.toULongLong());
    if (auto* led = qobject_cast<Led*>(object)) return led->setOn(value.toDouble() != 0.0);
    if (auto* gauge = qobject_cast<Gauge*>(object)) return gauge->setValue(value.toDouble());
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(object)) return spin->setValue(value.toDouble());
    if (auto* spin = qobject_cast<QSpinBox*>(object))
        return spin->setValue(int(value.toLongLong()));
    if (auto* combo = qobject_cast<QComboBox*>(object)) {
        // A ring's value is its item's data; a ring whose items carry none counts by index.
        const int wanted = int(value.toLongLong());
        int index = combo->findData(wanted);
        if (index < 0 && wanted >= 0 && wanted < combo->count() &&
            !combo->itemData(wanted).isValid())
            index = wanted;
        if (index >= 0) combo->setCurrentIndex(index);
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        if (button->isCheckable()) button->setChecked(value.toDouble() != 0.0);
        ShowStateText(button);
        return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(object))
        return edit->setText(FormatForLabel(edit, value));
    if (auto* label = qobject_cast<QLabel*>(object))
        return label->setText(FormatForLabel(label, value));
    if (auto* action = qobject_cast<QAction*>(object))
        return action->setChecked(value.toDouble() != 0.0);
}

void ConnectCommitSignals(QObject* object, const std::string& role) {
    auto commit = [role] { Dispatch(role, Event::Commit); };
    if (auto* combo = qobject_cast<QComboBox*>(object)) {
        QObject::connect(combo, &QComboBox::activated, combo, commit);
    } else if (auto* spin = qobject_cast<QSpinBox*>(object)) {
        QObject::connect(spin, &QSpinBox::valueChanged, spin, commit);
    } else if (auto* spin = qobject_cast<QDoubleSpinBox*>(object)) {
        QObject::connect(spin, &QDoubleSpinBox::valueChanged, spin, commit);
    } else if (auto* edit = qobject_cast<QLineEdit*>(object)) {
        // Leaving an edited field commits it, as Enter does; the flag is cleared first so that
        // a pop-up taking the focus does not commit the same edit twice.
        QObject::connect(edit, &QLineEdit::editingFinished, edit, [edit, commit] {
            if (edit->isReadOnly() || !edit->isModified()) return;
            edit->setModified(false);
            commit();
        });
    } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        ShowStateText(button);
        QObject::connect(button, &QAbstractButton::toggled, button,
                         [button] { ShowStateText(button); });
        QObject::connect(button, &QAbstractButton::clicked, button, commit);
    } else if (auto* table = qobject_cast<QTableWidget*>(object)) {
        QObject::connect(table, &QTableWidget::cellChanged, table, commit);
    } else if (auto* action = qobject_cast<QAction*>(object)) {
        QObject::connect(action, &QAction::triggered, action, commit);
    }
}

void ShowHelpPopup(const QString& title, const QString& text) {
    MessagePopup(title, text);
}

QVariant StartValue(QObject* object) {
    const QVariant value = ReadWidgetValue(object);
    const QString format = object->property("format").toString();
    if (format.isEmpty() || format == "hex16" || value.typeId() != QMetaType::QString) return value;
    bool number = false;
    const double start = QLocale::c().toDouble(value.toString().trimmed(), &number);
    return number ? QVariant(start) : value;
}

void ShowFixedTextsReadably(QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return;
    if (!widget->toolTip().isEmpty() && !Qt::mightBeRichText(widget->toolTip()))
        widget->setToolTip(ReadableText(widget->toolTip()));
    if (object->property("format").isValid()) return; // an indicator: its value is formatted
    if (auto* label = qobject_cast<QLabel*>(object)) {
        if (!Qt::mightBeRichText(label->text())) label->setText(LocalizeDecimals(label->text()));
    } else if (auto* button = qobject_cast<QAbstractButton*>(object))
        button->setText(LocalizeDecimals(button->text()));
    else if (auto* group = qobject_cast<QGroupBox*>(object))
        group->setTitle(LocalizeDecimals(group->title()));
    else if (auto* spin = qobject_cast<QDoubleSpinBox*>(object))
        spin->setSuffix(LocalizeDecimals(spin->suffix()));
    else if (auto* combo = qobject_cast<QComboBox*>(object))
        for (int i = 0; i < combo->count(); ++i)
            combo->setItemText(i, LocalizeDecimals(combo->itemText(i)));
}

} // namespace undarix::ui
