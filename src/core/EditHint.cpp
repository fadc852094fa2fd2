#include "core/EditHint.h"

#include "core/PanelRoles.h"
#include "ui/Controls.h"

namespace undarix::core {

void ShowEditHint(const char* whatEnterDoes) {
    ui::SetText(mainpanel::EditHint, QString("Editing: press Enter to %1").arg(whatEnterDoes));
    ui::SetVisible(mainpanel::EditHint, true);
}

void HideEditHint() {
    ui::SetVisible(mainpanel::EditHint, false);
}

} // namespace undarix::core
