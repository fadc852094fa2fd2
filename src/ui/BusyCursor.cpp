#include "ui/BusyCursor.h"

#include <QApplication>

namespace undarix::ui {
namespace {

int& Depth() {
    static int depth = 0;
    return depth;
}

// Without a window system (the companion) there is no cursor to change.
bool HaveWindows() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

BusyCursor::BusyCursor() {
    ++Depth();
    if (HaveWindows()) QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    --Depth();
    if (HaveWindows()) QApplication::restoreOverrideCursor();
}

bool IsBusyCursorShown() {
    return Depth() > 0;
}

} // namespace undarix::ui
