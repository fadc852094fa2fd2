// The receive path of a wired Ravo Zerar or Deve Zuravi: the replies of its hand-shake (stop,
// serial number, configuration block, start) and then its sample lines, with the connection
// timer and the configuration timer ticking as the bytes arrive, so that the hand-shake moves
// on as it does with a unit on the cable.
//
// Input: one setting byte, then the bytes on the line.
//   bits 0-1  unit kind 3 + value (3 to 6)
//   bits 2-4  the hand-shake state the bytes start in: 1 (stop sent), 3 (serial number
//             asked), 5 (block asked), 7 (start sent) or 8 (running), for 0 to 4; 5 to 7
//             start from state 0, before the timer's first step
//   bit 5     configure mode (the unit is kept stopped once its block is read)
//   bits 6-7  the bytes arrive in pieces of 1, 16, 141 or 1024; both timers tick after each

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "support/FuzzProgram.h"
#include "ui/Timers.h"

#include <cstddef>
#include <cstdint>

using namespace undarix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > fuzz::kMaxInput) return -1;
    const std::uint8_t setting = data[0];
    const int kind = 3 + (setting & 3);
    static constexpr int kStates[8] = {1, 3, 5, 7, 8, 0, 0, 0};
    static constexpr std::size_t kPieces[4] = {1, 16, 141, 1024};

    fuzz::StartProgram();
    const int port = fuzz::OpenUnitPort(kind);
    fuzz::OpenOutputs();
    core::Program.WSWLConnectStatus = kStates[(setting >> 2) & 7];
    core::Program.WSWLConfigMode = (setting >> 5) & 1;
    fuzz::ReceiveInPieces(port, data + 1, size - 1, kPieces[setting >> 6], [] {
        ui::TickTimer(core::timer::WiredConnect);
        ui::TickTimer(core::timer::WiredConfig);
    });
    return 0;
}
