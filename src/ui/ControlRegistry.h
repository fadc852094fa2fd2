#pragma once

#include "ui/Event.h"
#include "ui/Role.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <optional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace undarix::ui {

using Handler = std::function<void(Event)>;

struct HelpText {
    QString title;
    QString text;
};
// Returns the help to show now, or nothing when the control has no help in the present state.
using HelpProvider = std::function<std::optional<HelpText>()>;

// One control as the behaviour code sees it. When no widget carries the role (the headless
// command-line companion, or a test without a window) the entry keeps the value and
// attributes itself, so the same behaviour code runs with or without a screen.
struct ControlEntry {
    QPointer<QObject> object;
    QVariant value;
    QVariant defaultValue;
    bool dimmed = false;
    bool visible = true;
    std::uint32_t textColor = 0;
    std::uint32_t buttonMark = 0;
    std::uint32_t ledColor = 0x00CC00;
    QString label;
    // What a text indicator (a QLabel) was last given, and the text it showed for it: the same
    // value again, while the text is still that one, is not formatted anew.
    QVariant shownValue;
    QString shownText;
    double maximum = 0.0;
    std::vector<std::pair<QString, int>> items;       // list and ring items, headless
    std::map<std::pair<int, int>, double> cells;      // table cells (row, column), headless
    Handler handler;
    HelpProvider help;
};

// Registers every named widget and action under `root` by its object name. Names beginning
// "qt_" are Qt's own. Returns the names that were already registered (a layout fault).
QStringList RegisterTree(QObject* root);

// The entry of a role, created empty (headless) when no widget carries it. In strict mode
// (a window is loaded) an unknown role is reported with qWarning, which tests turn into a
// failure.
ControlEntry& Entry(Role role);
[[nodiscard]] bool IsRegistered(Role role);
void SetStrict(bool strict);

// Forgets every control, handler and help text (tests start from nothing).
void ClearRegistry();

// Runs the handler of a role as if the user had caused the event.
void Dispatch(Role role, Event event);

} // namespace undarix::ui
