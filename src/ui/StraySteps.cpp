#include "ui/StraySteps.h"

#include "ui/Controls.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace undarix::ui {
namespace {

// Swallows the mouse wheel (letting the page behind scroll instead) and, on spin boxes, the
// keys that step the value.
class StrayStepFilter : public QObject {
public:
    static StrayStepFilter& Instance() {
        static StrayStepFilter filter;
        return filter;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Wheel) {
            event->ignore();
            return true;
        }
        if (event->type() != QEvent::KeyPress) return false;
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: return true;
        default: return false;
        }
    }
};

void FilterStraySteps(QWidget* widget) {
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget)) {
        spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
        spin->installEventFilter(&StrayStepFilter::Instance());
        if (QLineEdit* edit = spin->findChild<QLineEdit*>())
            edit->installEventFilter(&StrayStepFilter::Instance());
    } else if (qobject_cast<QComboBox*>(widget)) {
        widget->installEventFilter(&StrayStepFilter::Instance());
    }
}

} // namespace

void PreventStrayCommits(std::initializer_list<Role> roles) {
    for (Role role : roles)
        if (QWidget* widget = FindWidget(role)) FilterStraySteps(widget);
}

} // namespace undarix::ui
