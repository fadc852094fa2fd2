#include "ui/ControlRegistry.h"

#include "ui/ControlValues.h"
#include "ui/ReadableText.h"
#include "ui/WheelGuard.h"
#include "ui/widgets/Gauge.h"
#include "ui/widgets/HexField.h"
#include "ui/widgets/Led.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QHelpEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabBar>
#include <QTableWidget>
#include <QToolTip>
#include <QWidget>

#include <array>
#include <cstdint>

namespace undarix::ui {
namespace {

struct TransparentHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

struct Registry {
    std::unordered_map<std::string, ControlEntry, TransparentHash, std::equal_to<>> entries;
    bool strict = false;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// The entries found last, by where their names were read from: code on the receive path
// names a table row's cells from strings built once, so the same few addresses come back for
// every packet. A hit is checked against the entry's own name, so a reused address never
// finds another control's entry. The entries stay where they are until the registry is
// cleared, which empties this too.
struct RecentEntry {
    const char* at = nullptr;
    const std::string* name = nullptr;
    ControlEntry* entry = nullptr;
};
std::array<RecentEntry, 128> recent;

RecentEntry& RecentSlot(std::string_view role) {
    const auto address = reinterpret_cast<std::uintptr_t>(role.data());
    return recent[(address >> 3 ^ address >> 10) % recent.size()];
}

// Turns the widgets' own signals and events into the callbacks' events. One filter serves
// every bound control; it knows the role by the object's name.
class EventBridge : public QObject {
public:
    static EventBridge& Instance() {
        static EventBridge bridge;
        return bridge;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        QObject* control = watched;
        // A spin box types into its own line edit; report the spin box.
        if (auto* edit = qobject_cast<QLineEdit*>(watched);
            edit && qobject_cast<QAbstractSpinBox*>(edit->parent()))
            control = edit->parent();
        const std::string role = control->objectName().toStdString();
        switch (event->type()) {
        case QEvent::ContextMenu: {
            ShowHelp(role, static_cast<QContextMenuEvent*>(event)->globalPos());
            Dispatch(role, Event::RightClick);
            return true;
        }
        case QEvent::ToolTip: {
            auto& entry = Entry(role);
            if (entry.help) {
                if (auto help = entry.help())
                    QToolTip::showText(
                        static_cast<QHelpEvent*>(event)->globalPos(),
                        "<b>" + help->title.toHtmlEscaped() + "</b><br>" +
                            ReadableText(help->text).toHtmlEscaped().replace("\n", "<br>"),
                        qobject_cast<QWidget*>(control));
                return true;
            }
            return false;
        }
        case QEvent::KeyPress: Dispatch(role, Event::KeyPress); return false;
        case QEvent::FocusOut: Dispatch(role, Event::LostFocus); return false;
        default: return false;
        }
    }

private:
    static void ShowHelp(const std::string& role, QPoint) {
        auto& entry = Entry(role);
        if (!entry.help) return;
        if (auto help = entry.help()) ShowHelpPopup(help->title, help->text);
    }
};

bool IsQtInternal(const QString& name) {
    return name.isEmpty() || name.startsWith("qt_");
}

} // namespace

QStringList RegisterTree(QObject* root) {
    GuardValuesFromTheWheel();
    QStringList duplicates;
    QList<QObject*> objects = root->findChildren<QObject*>();
    objects.prepend(root);
    for (QObject* object : objects) {
        if (!object->isWidgetType() && !qobject_cast<QAction*>(object)) continue;
        const QString name = object->objectName();
        // A tab bar names its own scroll buttons, the same in every tab widget.
        if (IsQtInternal(name) || qobject_cast<QTabBar*>(object->parent())) continue;
        auto [it, inserted] = TheRegistry().entries.try_emplace(name.toStdString());
        if (!inserted && it->second.object && it->second.object != object) duplicates << name;
        it->second.object = object;
        it->second.defaultValue = object->property("defaultValue").isValid()
                                      ? object->property("defaultValue")
                                      : StartValue(object);
        if (it->second.defaultValue.typeId() == QMetaType::Double &&
            ReadWidgetValue(object).typeId() == QMetaType::QString)
            WriteWidgetValue(object, it->second.defaultValue);
        ShowFixedTextsReadably(object);
        if (auto* widget = qobject_cast<QWidget*>(object)) {
            it->second.dimmed = widget->testAttribute(Qt::WA_ForceDisabled);
            it->second.visible = !widget->isHidden();
        } else if (auto* action = qobject_cast<QAction*>(object)) {
            it->second.dimmed = !action->isEnabled();
            it->second.visible = action->isVisible();
        }
        if (auto* combo = qobject_cast<QComboBox*>(object)) combo->setFocusPolicy(Qt::StrongFocus);
        ConnectCommitSignals(object, it->first);
        object->installEventFilter(&EventBridge::Instance());
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(object)) {
            spin->setKeyboardTracking(false);      // commit on Enter, arrows or leaving the field
            spin->setFocusPolicy(Qt::StrongFocus); // the wheel alone does not take the focus
            if (QLineEdit* edit = spin->findChild<QLineEdit*>())
                edit->installEventFilter(&EventBridge::Instance());
        }
    }
    return duplicates;
}

ControlEntry& Entry(Role role) {
    RecentEntry& slot = RecentSlot(role);
    if (slot.at == role.data() && *slot.name == role) return *slot.entry;
    auto& entries = TheRegistry().entries;
    auto it = entries.find(role);
    if (it == entries.end()) {
        if (TheRegistry().strict)
            qWarning("undarix: unknown control \"%.*s\"", int(role.size()), role.data());
        it = entries.try_emplace(std::string(role)).first;
    }
    slot = {role.data(), &it->first, &it->second};
    return it->second;
}

bool IsRegistered(Role role) {
    auto& entries = TheRegistry().entries;
    auto it = entries.find(role);
    return it != entries.end() && it->second.object;
}

void SetStrict(bool strict) {
    TheRegistry().strict = strict;
}

void ClearRegistry() {
    recent = {};
    TheRegistry().entries.clear();
    TheRegistry().strict = false;
}

void Dispatch(Role role, Event event) {
    Handler handler = Entry(role).handler; // a copy: the handler may rebind its role
    if (handler) handler(event);
}

} // namespace undarix::ui
