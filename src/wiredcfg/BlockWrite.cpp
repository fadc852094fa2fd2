#include "wiredcfg/BlockWrite.h"

#include "link/SerialPort.h"
#include "live/ProgramState.h"
#include "live/UnitKind.h"
#include "ui/Delay.h"
#include "wiredcfg/PcClock.h"
#include "wiredcfg/WiredConfigState.h"
#include "wiredcfg/codec/ConfigBlock.h"

namespace undarix::wiredcfg {
namespace {

using live::Program;

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
    if (unitType == live::WiredRavoZerar408) Program.WSAll.AlarmFlags &= ~kAlarmEnableBits;
    const std::size_t length = codec::BuildConfigBlock(Program.WSAll, unitType, WiredCfg.WSTx);
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
    const std::size_t length = codec::BuildConfigBlock(Program.WSAll, unitType, WiredCfg.WSTx);
    SendBlock(port, length);
    ui::Delay(0.4);
}

} // namespace

void TxWSAllConfig() {
    const int unitType = Program.UnitType;
    const int port = Program.OpenComPortNum;
    if (codec::IsRavoZerarBlockKind(unitType))
        WriteRavoZerar(port, unitType);
    else if (codec::IsDeveZuraviBlockKind(unitType))
        WriteDeveZuravi(port, unitType);
    else
        return;
    Program.WSWLConnectStatus = 0;
}

void CapturePCClock(WiredConfigRecord& record) {
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
    if (live::IsDeveZuravi(Program.UnitType)) Program.WSAll.ModeFlags &= ~kSetClockBit;
}

void SetSetClockRequest() {
    if (live::IsDeveZuravi(Program.UnitType)) Program.WSAll.ModeFlags |= kSetClockBit;
}

} // namespace undarix::wiredcfg
