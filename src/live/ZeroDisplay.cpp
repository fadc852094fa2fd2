#include "live/ZeroDisplay.h"

#include "core/PanelRoles.h"
#include "live/DeviceTable.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

namespace undarix::live {
using namespace core;
namespace {

void OnCommitOfRow(ui::Event event, int row) {
    if (event == ui::Event::Commit) ZeroAbsSwUpDate(row);
}

} // namespace

void ZeroDisplay1(ui::Event event) {
    OnCommitOfRow(event, 0);
}
void ZeroDisplay2(ui::Event event) {
    OnCommitOfRow(event, 1);
}
void ZeroDisplay3(ui::Event event) {
    OnCommitOfRow(event, 2);
}
void ZeroDisplay4(ui::Event event) {
    OnCommitOfRow(event, 3);
}
void ZeroDisplay5(ui::Event event) {
    OnCommitOfRow(event, 4);
}
void ZeroDisplay6(ui::Event event) {
    OnCommitOfRow(event, 5);
}
void ZeroDisplay7(ui::Event event) {
    OnCommitOfRow(event, 6);
}
void ZeroDisplay8(ui::Event event) {
    OnCommitOfRow(event, 7);
}

void ZeroAbsSwUpDate(int row) {
    if (row < 0 || row >= kTableSlots) return;
    const int on = ui::GetInt(ui::ArrayItemName(mainpanel::ZeroAbsArray, row)) != 0 ? 1 : 0;
    // Free records sit in row 0 too; a zero offset must not wait there for the next unit
    // that takes the slot.
    for (OutputLineRecord& record : OutputLine) {
        if (record.address == 0 || record.displayRow != row) continue;
        record.zeroMode = on;
        if (on) record.zeroOffset = record.lastValue;
    }
}

void BindZeroDisplay() {
    const ui::Handler switches[kTableSlots] = {ZeroDisplay1, ZeroDisplay2, ZeroDisplay3,
                                               ZeroDisplay4, ZeroDisplay5, ZeroDisplay6,
                                               ZeroDisplay7, ZeroDisplay8};
    for (int row = 0; row < kTableSlots; ++row) {
        const std::string role = ui::ArrayItemName(mainpanel::ZeroAbsArray, row);
        ui::OnEvent(role, switches[row]);
        ui::SetHelp(role, "ZeroABS",
                    "Toggle between an absolute or Zero display and plot.\nThe zero offset value "
                    "is set with the displayed \nvalue when the button is pressed.\n");
    }
}

} // namespace undarix::live
