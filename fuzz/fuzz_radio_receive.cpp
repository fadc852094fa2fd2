// The receive path of a radio kind: raw bytes from the radio adapter through the memory port's
// receive callback, frame assembly, the dispatcher, the device table, the chart, the data file
// and the output stream.
//
// Input: one setting byte, then the bytes on the wire.
//   bits 0-1  unit kind 0, 1 or 2 (3 reads as 0)
//   bit 2     the output stream, the data file and the capture file open
//   bit 3     the chart's traces bound to the units heard, plotting
//   bit 4     an automatic time sync awaited from the unit in slot 0
//   bits 5-7  the wire bytes arrive in pieces of 1, 7, 32, 64, 128, 255, 512 or all; the
//             presence timer ticks after each piece

#include "chart/TraceBinding.h"
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
    const int kind = (setting & 3) == 3 ? 0 : setting & 3;
    static constexpr std::size_t kPieces[8] = {1, 7, 32, 64, 128, 255, 512, fuzz::kMaxInput};
    const std::size_t piece = kPieces[setting >> 5];

    fuzz::StartProgram();
    const int port = fuzz::OpenUnitPort(kind);
    if (setting & 4) fuzz::OpenOutputs();
    if (setting & 16) {
        core::Program.AutoWaitSync = 1;
        core::Program.AutoSyncLoc = 0;
    }
    const bool chart = setting & 8;
    fuzz::ReceiveInPieces(port, data + 1, size - 1, piece, [&] {
        if (chart) chart::BindTracesToHeardUnits();
        ui::TickTimer(core::timer::DeviceDisplay);
    });
    return 0;
}
