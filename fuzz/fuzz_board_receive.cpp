// The receive path of the Vazavevezeze board: its status report while the connection timer
// wakes it, its clock line, and its data lines of one count per staff, each converted with the
// length in the staff-length table; the connection and configuration timers tick as the bytes
// arrive.
//
// Input: one setting byte, then the bytes on the line.
//   bits 0-1  the state the bytes start in: 1 (report awaited), 3 (clock line awaited),
//             5 (running) or 0 (before the timer's first step)
//   bit 2     configure mode
//   bit 3     staffs 7 and 8 have no length in the table (the others have 1 to 6 m)
//   bits 4-5  the bytes arrive in pieces of 1, 16, 141 or 1024; both timers tick after each

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "support/FuzzProgram.h"
#include "ui/Controls.h"
#include "ui/Timers.h"

#include <cstddef>
#include <cstdint>

using namespace undarix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > fuzz::kMaxInput) return -1;
    const std::uint8_t setting = data[0];
    static constexpr int kStates[4] = {1, 3, 5, 0};
    static constexpr std::size_t kPieces[4] = {1, 16, 141, 1024};

    fuzz::StartProgram();
    const int port = fuzz::OpenUnitPort(core::Vazavevezeze);
    fuzz::OpenOutputs();
    const int staffs = setting & 8 ? 6 : 8;
    for (int staff = 0; staff < staffs; ++staff)
        ui::SetTableCell(core::mainpanel::BoardStaffTable, staff + 1, 1, 1.0 + staff);
    core::Program.WSWLConnectStatus = kStates[setting & 3];
    core::Program.WSWLConfigMode = (setting >> 2) & 1;
    fuzz::ReceiveInPieces(port, data + 1, size - 1, kPieces[(setting >> 4) & 3], [] {
        ui::TickTimer(core::timer::WiredConnect);
        ui::TickTimer(core::timer::WiredConfig);
    });
    return 0;
}
