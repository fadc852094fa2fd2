#include "wiredcfg/BoardStaffTable.h"

#include "live/PanelRoles.h"
#include "ui/Callbacks.h"

namespace undarix::wiredcfg {

void BindBoardStaffTable() {
    using namespace live::mainpanel;
    ui::SetHelp(BoardStaffTable, "STAFF LENGTH TABLE",
                "Enter the Staff Length for each unit connected to\nthe Vazavevezeze Board.");
    ui::SetHelp(StaffLengthDisplay, "STAFF LENGTH", "Configured staff length in meters");
}

} // namespace undarix::wiredcfg
