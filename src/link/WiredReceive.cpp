#include "link/WiredReceive.h"

#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/ReceiveState.h"
#include "link/codec/DecimalText.h"
#include "link/codec/SyntheticFrame.h"
#include "ui/Clock.h"
#include "ui/Controls.h"

#include <string_view>

namespace undarix::link {

WiredReceiveState WiredRx;

namespace {

using core::Program;

constexpr int kLastLineIndex = 140;
constexpr int kCountDigits = 4;
constexpr int kTemperaturePos = 5;
constexpr int kSamplesPerClock = 60;
constexpr double kDegreesPerStep = 0.0625;

// A single wired unit is unit 1 of its port.
constexpr int kWiredUnit = 1;

// The four digits of the count have arrived.
void SampleFromLine(WiredReceiveState& rx) {
    const int count = codec::ReadDecimal(std::string_view(rx.line, kCountDigits));
    const codec::WiredSample sample = codec::WiredCountToValue(count, Program.WSAll.StaffLength);
    const int length =
        codec::BuildSampleFrame(kWiredUnit, Program.WiredSampleRate, sample.value, RxFrame);
    DispatchSyntheticFrame(length, sample.tenths ? 1 : 0);
    if (++rx.sampleCounter >= kSamplesPerClock) {
        rx.sampleCounter = 0;
        DispatchClockFrames(kWiredUnit);
    }
}

// A carriage return or line feed: the terminator is at index - 1. The air-temperature field
// is taken here, at the line's end, so that it is read whole (four or five characters) and
// never mixed with the bytes of an earlier, longer line.
void LineEnd(WiredReceiveState& rx) {
    const int index = rx.index;
    rx.index = 0;
    // The line feed after a carriage return is a line of its own terminator only; it must not
    // dim the temperature the line before has just shown.
    if (index <= 1) return;
    const bool hasTemperature = index > 6;
    if (hasTemperature) {
        const std::string_view field(rx.line + kTemperaturePos,
                                     std::size_t(index - 1 - kTemperaturePos));
        const codec::DecimalReading reading = codec::ReadDecimalReal(field);
        if (reading.digits > 0) {
            const int length =
                codec::BuildAirTemperatureFrame(reading.value * kDegreesPerStep, RxFrame);
            DispatchSyntheticFrame(length, 0);
        }
    }
    ui::SetDimmed(core::mainpanel::AirTempLive, !hasTemperature);
}

void RunningByte(WiredReceiveState& rx, std::uint8_t byte) {
    Program.WSWLConnectTimer = 0; // the unit is alive
    if (byte == '\r' || byte == '\n') return LineEnd(rx);
    if (rx.index == kCountDigits) SampleFromLine(rx);
}

} // namespace

void ResetWiredReceive() {
    WiredRx = WiredReceiveState{};
}

void WiredReceiveByte(std::uint8_t byte) {
    WiredReceiveState& rx = WiredRx;
    rx.line[rx.index] = char(byte);
    if (++rx.index > kLastLineIndex) rx.index = 1;

    if (UartXbee.receiveState == 0) UartXbee.receiveState = 2;
    if (UartXbee.receiveState != 2) return;

    switch (Program.WSWLConnectStatus) {
    case 1:
    case 3:
    case 5:
    case 7: RecogniseHandshakeReply(rx, byte); break;
    case 8: RunningByte(rx, byte); break;
    default: break;
    }
}

void DispatchSyntheticFrame(int frameLength, std::uint8_t tenthFlag) {
    UartXbee.frameLength = frameLength;
    UartXbee.receiveState = 3;
    core::CallHook(core::hooks.RxDataService, tenthFlag);
    UartXbee.receiveState = 0; // served, whether or not a dispatcher took it
}

void DispatchClockFrames(int unit) {
    const QDateTime now = ui::Now();
    const QDate date = now.date();
    const QTime time = now.time();
    DispatchSyntheticFrame(
        codec::BuildDateFrame(unit, date.year(), date.month(), date.day(), RxFrame), 0);
    DispatchSyntheticFrame(
        codec::BuildTimeFrame(unit, time.hour(), time.minute(), time.second(), RxFrame), 0);
}

} // namespace undarix::link
