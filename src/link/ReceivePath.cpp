#include "link/ReceivePath.h"

#include "core/Hooks.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/BoardReceive.h"
#include "link/ReceiveState.h"
#include "link/SerialPort.h"
#include "link/WiredReceive.h"

namespace undarix::link {

RadioReceiveState RadioRx;

namespace {

using core::Program;
using Assembler = codec::ApiFrameAssembler;

constexpr int kReadBlock = 4096;

void ReceiveByte(std::uint8_t byte) {
    const int unitType = Program.UnitType;
    if (core::IsRadioKind(unitType))
        RadioReceiveByte(byte);
    else if (core::IsWiredKind(unitType))
        WiredReceiveByte(byte);
    else if (core::IsBoard(unitType))
        BoardReceiveByte(byte);
}

} // namespace

void ComCallback(int port, int eventMask) {
    if (!core::IsBoard(Program.UnitType) && !(eventMask & kRxCharEvent)) return;
    // Takes what the queue holds in blocks, then asks again: no port call per byte.
    std::uint8_t block[kReadBlock];
    const unsigned closings = ComClosings();
    const unsigned session = ComSession(port);
    for (int taken = ComRdBytes(port, block, kReadBlock); taken > 0;
         taken = ComRdBytes(port, block, kReadBlock)) {
        for (int i = 0; i < taken; ++i) {
            ReceiveByte(block[i]);
            // Closed from a pop-up: the bytes still held went with the port.
            if (ComClosings() != closings && ComSession(port) != session) return;
        }
    }
}

void RadioReceiveByte(std::uint8_t byte) {
    if (Program.APIFrameDataFileOpen) core::CallHook(core::hooks.CaptureByte, byte);
    Assembler& assembler = RadioRx.assembler;
    // A frame served elsewhere (played back from a file) sends the hunt back to the start.
    if (UartXbee.receiveState == Assembler::kHunting && assembler.State() != Assembler::kHunting)
        assembler.Serve();
    const Assembler::Result result = assembler.Feed(byte, RxFrame);
    UartXbee.receiveState = std::uint8_t(assembler.State());
    UartXbee.byteCount = std::uint8_t(assembler.ByteCount());
    if (result == Assembler::Result::Dropped) ++RadioRx.framesDropped;
    if (result != Assembler::Result::Complete) return;
    ++RadioRx.framesGood;

    UartXbee.frameLength = assembler.FrameLength();
    core::CallHook(core::hooks.RxDataService, std::uint8_t(0));
    // The frame has been served, whether or not a dispatcher took it.
    assembler.Serve();
    UartXbee.receiveState = Assembler::kHunting;
}

void RestartReceiveAfterGap() {
    RadioRx.assembler.Reset();
    UartXbee.receiveState = Assembler::kHunting;
    UartXbee.byteCount = 0;
    WiredRx.index = 0;
}

void ResetReceivePath() {
    RadioRx.assembler = codec::ApiFrameAssembler();
    RadioRx.framesGood = 0;
    RadioRx.framesDropped = 0;
    ResetWiredReceive();
}

} // namespace undarix::link
