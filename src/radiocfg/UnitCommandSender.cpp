#include "radiocfg/UnitCommandSender.h"

#include "core/ProgramState.h"
#include "link/ApiTransmit.h"
#include "link/PanId.h"
#include "ui/Delay.h"

#include <cstring>

namespace undarix::radiocfg {
namespace {

using core::Program;

constexpr double kSettingWait = 0.1;

int TxStrLength() {
    return int(strnlen(Program.TxStr, sizeof Program.TxStr));
}

} // namespace

void SendUnitCommand(const codec::CommandLine& line) {
    if (line.length <= 0 || std::size_t(line.length) >= sizeof Program.TxStr) return;
    std::memset(Program.TxStr, 0, sizeof Program.TxStr);
    std::memcpy(Program.TxStr, line.text, std::size_t(line.length));
    link::ForgetPanIdRequest();
    link::ComWrtAPIFrame(Program.ConfigDeviceAddr, line.length);
}

void SendUnitSetting(const codec::CommandLine& line) {
    ui::Delay(kSettingWait);
    SendUnitCommand(line);
    Program.TxWait = 1;
}

bool TxStrHolds(std::string_view letters) {
    return letters.size() == 2 && Program.TxStr[0] == letters[0] && Program.TxStr[1] == letters[1];
}

void SendOnceKeepingTheAwaitedCommand(const codec::CommandLine& line) {
    // An AT request of the PAN ID goes its own way and is not kept; a clock setting still
    // awaited is overtaken by this one.
    const bool keep = Program.TxWait != 0 && !link::PanIdRequestPending() && !TxStrHolds("WT");
    char awaited[sizeof Program.TxStr];
    std::memcpy(awaited, Program.TxStr, sizeof awaited);
    SendUnitCommand(line);
    if (keep)
        std::memcpy(Program.TxStr, awaited, sizeof awaited);
    else
        Program.TxWait = 0;
}

void ResendTxStr() {
    if (link::ResendPanIdRequest()) return;
    link::ComWrtAPIFrame(Program.ConfigDeviceAddr, TxStrLength());
}

} // namespace undarix::radiocfg
