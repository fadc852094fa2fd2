#include "wiredcfg/BlockWrite.h"

#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "core/codec/ConfigBlock.h"
#include "link/SerialPort.h"
#include "ui/Delay.h"
#include "wiredcfg/PcClock.h"
#include "wiredcfg/SettingsEvents.h"
#include "wiredcfg/WiredConfigState.h"

namespace undarix::wiredcfg {
namespace {

using core::Program;

constexpr std::uint8_t kSetClockBit = 0x08;
constexpr std::uint8_t kAlarmEnableBits = 0x06;

void SendBlock(int port, std::size_t length) {
    link::ComWrt(port, WiredCfg.WSTx, int(length));
}

void WriteRavoZerar(int port, int unitType) {
    link::FlushOutQ(port);
    link::ComWrtByte(port, 'w');
    ui::Delay(0.4);
    // The 408 has no alarms: whatever the switches say, they go out off.
    if (unitType == core::WiredRavoZerar408) Program.WSAll.AlarmFlags &= ~kAlarmEnableBits;
    const std::size_t length =
        core::codec::BuildConfigBlock(Program.WSAll, unitType, WiredCfg.WSTx);
    link::FlushOutQ(port);
    SendBlock(port, length);
    ui::Delay(0.3);
}

void WriteDeveZuravi(int port, int unitType) {
    link::ComWrtByte(port, 'w');
    ui::Delay(0.4);
    if (Program.WLSyncRTC == 1) {
        Program.WLSyncRTC = 0;
        CapturePCClock(Program.WSAll);
    }
    const std::size_t length =
        core::codec::BuildConfigBlock(Program.WSAll, unitType, WiredCfg.WSTx);
    SendBlock(port, length);
    ui::Delay(0.4);
}

} // namespace

void TxWSAllConfig() {
    const int unitType = Program.UnitType;
    const int port = Program.OpenComPortNum;
    if (core::codec::IsRavoZerarBlockKind(unitType))
        WriteRavoZerar(port, unitType);
    else if (core::codec::IsDeveZuraviBlockKind(unitType))
        WriteDeveZuravi(port, unitType);
    else
        return;
    NoteWiredWriteSent();
    Program.WSWLConnectStatus = 0;
}

void CapturePCClock(core::WiredConfigRecord& record) {
    const QDateTime now = WaitForNextSecond();
    const QDate date = now.date();
    const QTime time = now.time();
    record.ClockYear = date.year();
    record.ClockMonth = date.month();
    record.ClockDay = date.day();
    record.ClockHour = time.hour();
    record.ClockMinute = time.minute();
    record.ClockSecond = time.second();
}

void ClearSetClockRequest() {
    if (core::IsDeveZuravi(Program.UnitType)) Program.WSAll.ModeFlags &= ~kSetClockBit;
}

void SetSetClockRequest() {
    if (core::IsDeveZuravi(Program.UnitType)) Program.WSAll.ModeFlags |= kSetClockBit;
}

} // namespace undarix::wiredcfg
