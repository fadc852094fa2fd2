#include "wiredcfg/BoardStaffTable.h"

#include "core/PanelRoles.h"
#include "ui/Callbacks.h"

namespace undarix::wiredcfg {

void BindBoardStaffTable() {
    using namespace core::mainpanel;
    ui::SetHelp(BoardStaffTable, "STAFF LENGTH TABLE",
                "Enter the Staff Length for each unit connected to\nthe Vazavevezeze Board.");
    ui::SetHelp(StaffLengthDisplay, "STAFF LENGTH", "Configured staff length in meters");
}

} // namespace undarix::wiredcfg
