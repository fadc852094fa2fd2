// The configuration-reply parser of radio units: a session opened on a unit by its network
// address, each reply put into RxChars as the dispatcher puts it (up to its line end, cut to
// the buffer) and parsed, and the session timer ticking after each, so that the next command
// goes out as the session moves on.
//
// Input: one setting byte, then the replies, one per line.
//   bits 0-1  unit kind 0, 1 or 2 (3 reads as 0) before the model reply names it
//   bit 2     automatic time sync off (the clock controls are then the user's)
//   bit 3     factory mode
//   bit 4     the older two-point calibration (no 12-point table) until the version reply

#include "core/ConfigPageRoles.h"
#include "core/FrameBuffers.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "live/DeviceTable.h"
#include "radiocfg/ReplyParser.h"
#include "support/FuzzProgram.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/Timers.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace undarix;

namespace {

constexpr std::uint64_t kUnitAddress = 0x0013A20040A1B2C3ull;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > fuzz::kMaxInput) return -1;
    const std::uint8_t setting = data[0];
    const int kind = (setting & 3) == 3 ? 0 : setting & 3;

    fuzz::StartProgram();
    const int port = fuzz::OpenUnitPort(kind);
    core::Program.EnaAutoSync = setting & 4 ? 0 : 1;
    core::Program.FactoryMode = (setting >> 3) & 1;
    core::Program.Version12CalPts = setting & 16 ? 0 : 1;
    const int slot = live::GetOutputLineLoc(kUnitAddress);
    ui::SetU64(core::configpage::NetworkAddressField, kUnitAddress);
    ui::Dispatch(core::configpage::NetworkAddressField, ui::Event::Commit);
    ui::TickTimer(core::timer::Config);

    const char* text = reinterpret_cast<const char*>(data + 1);
    const char* const end = text + (size - 1);
    while (text < end) {
        const char* lineEnd =
            std::find_if(text, end, [](char c) { return c == '\n' || c == '\r'; });
        const std::size_t length = std::min(std::size_t(lineEnd - text), core::kRxCharsSize - 1);
        std::memcpy(core::RxChars, text, length);
        core::RxChars[length] = '\0';
        radiocfg::RxConfigData(slot);
        ui::TickTimer(core::timer::Config);
        fuzz::DiscardWritten(port);
        text = lineEnd + (lineEnd < end ? 1 : 0);
    }
    return 0;
}
