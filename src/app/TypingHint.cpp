#include "app/TypingHint.h"

#include "core/EditHint.h"
#include "ui/ControlRegistry.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace undarix::app {
namespace {

constexpr const char* kEnterTakesTheValue = "take the value";

// The registered spin box a key goes to (it types into a line edit of its own).
QAbstractSpinBox* NumberField(QObject* object) {
    QObject* field = object;
    if (qobject_cast<QLineEdit*>(object)) field = object->parent();
    auto* spin = qobject_cast<QAbstractSpinBox*>(field);
    return spin && ui::IsRegistered(spin->objectName().toStdString()) ? spin : nullptr;
}

bool Types(const QKeyEvent& key) {
    return !key.text().isEmpty() && key.text().at(0).isPrint();
}

// Application filters see an event before the widget's own filter hands it to the field's
// callback, so a callback's own hint comes after this one and stays.
class TypingHint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::FocusOut) return false;
        if (!qobject_cast<QWidget*>(watched) || !NumberField(watched)) return false;
        if (event->type() == QEvent::FocusOut) {
            core::HideEditHint(); // the value left is the value kept
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            core::HideEditHint();
        else if (Types(*key) || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete)
            core::ShowEditHint(kEnterTakesTheValue);
        return false;
    }
};

} // namespace

void ShowTypingHintInEveryNumberField() {
    static TypingHint* hint = nullptr;
    if (hint || !QCoreApplication::instance()) return;
    hint = new TypingHint;
    hint->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(hint);
}

} // namespace undarix::app
