#include "radiocfg/SettingWrite.h"

#include "live/ConfigPageRoles.h"
#include "live/PanelRoles.h"
#include "live/ProgramState.h"
#include "live/UnitKind.h"
#include "radiocfg/UnitCommandSender.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace undarix::radiocfg {
namespace {

using live::Program;

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
        // Keys and the drop-down list stay: choosing an item there is deliberate.
        widget->installEventFilter(&StrayStepFilter::Instance());
    }
}

} // namespace

bool UnitToWrite() {
    if (Program.ConfigDeviceAddr != 0) return true;
    ui::ShowStatus("No unit is being configured: choose one by its device number or network "
                   "address first");
    return false;
}

bool WriteSetting(ui::Role control, const codec::CommandLine& line) {
    ui::SetDimmed(control, true);
    if (!UnitToWrite()) return false;
    SendUnitSetting(line);
    return true;
}

bool MarkEdit(ui::Role field, ui::Event event, std::uint32_t restColor) {
    if (event == ui::Event::KeyPress) {
        ui::SetTextColor(field, ui::kRed);
        ui::SetVisible(live::mainpanel::EditHint, true);
        return true;
    }
    if (event == ui::Event::LostFocus) {
        EndEdit(field, restColor);
        return true;
    }
    return false;
}

void EndEdit(ui::Role field, std::uint32_t restColor) {
    ui::SetTextColor(field, restColor);
    ui::SetVisible(live::mainpanel::EditHint, false);
}

int WriteCurrentMode() {
    if (Program.UnitType != live::RavoZerarXB) return 1;
    return ui::GetInt(live::configpage::CurrentModeSwitch);
}

void PreventStrayCommits(std::initializer_list<ui::Role> roles) {
    for (ui::Role role : roles)
        if (QWidget* widget = ui::FindWidget(role)) FilterStraySteps(widget);
}

} // namespace undarix::radiocfg
