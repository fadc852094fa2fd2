#include "ui/WheelGuard.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QScrollBar>

namespace undarix::ui {
namespace {

// The field a widget belongs to: a spin box or an editable list types into a line edit of
// its own.
QWidget* ValueFieldOf(QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    if (qobject_cast<QLineEdit*>(widget) && widget->parentWidget()) {
        QWidget* parent = widget->parentWidget();
        if (qobject_cast<QAbstractSpinBox*>(parent) || qobject_cast<QComboBox*>(parent))
            widget = parent;
    }
    // A scroll bar holds no value of the user's: it is what a scrolled page, table or list
    // hands the wheel on to, so guarding it would stop every one of them from scrolling.
    if (qobject_cast<QScrollBar*>(widget)) return nullptr;
    if (qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QComboBox*>(widget) ||
        qobject_cast<QAbstractSlider*>(widget))
        return widget;
    return nullptr;
}

class WheelGuard : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Polish) {
            // The wheel would otherwise give the field the focus, and then change it.
            if (QWidget* field = ValueFieldOf(watched);
                field && field == watched && field->focusPolicy() == Qt::WheelFocus)
                field->setFocusPolicy(Qt::StrongFocus);
            return false;
        }
        if (event->type() != QEvent::Wheel) return false;
        QWidget* field = ValueFieldOf(watched);
        if (!field || field->hasFocus()) return false;
        // Ignored, the event goes on to the field's parents: the page scrolls.
        event->ignore();
        return true;
    }
};

} // namespace

void GuardValuesFromTheWheel() {
    static WheelGuard* guard = nullptr;
    if (guard || !QCoreApplication::instance()) return;
    guard = new WheelGuard;
    guard->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(guard);
}

} // namespace undarix::ui
