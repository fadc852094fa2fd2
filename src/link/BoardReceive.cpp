#include "link/BoardReceive.h"

#include "core/ProgramState.h"
#include "link/ReceiveState.h"

namespace undarix::link {
namespace {

constexpr int kLastLineIndex = 140;

} // namespace

void BoardReceiveByte(std::uint8_t byte) {
    WiredReceiveState& rx = WiredRx;
    if (rx.index > kLastLineIndex) rx.index = 0;
    rx.line[rx.index] = char(byte);
    if (byte != 0) ++rx.index;

    if (UartXbee.receiveState == 0) UartXbee.receiveState = 2;
    if (UartXbee.receiveState != 2) return;
    if (byte != '\n') return;

    const int length = rx.index;
    rx.line[length] = '\0'; // the buffer has room for the zero after the last byte
    rx.index = 0;
    ExamineBoardLine(rx, length);
}

} // namespace undarix::link
