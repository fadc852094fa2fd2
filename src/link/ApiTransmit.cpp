#include "link/ApiTransmit.h"

#include "core/ProgramState.h"
#include "link/SerialPort.h"
#include "link/codec/ApiFrame.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace undarix::link {
namespace {

using core::Program;

constexpr int kTxStrSize = int(std::size(core::ProgramState{}.TxStr));

const std::uint8_t* TxText() {
    return reinterpret_cast<const std::uint8_t*>(Program.TxStr);
}

std::size_t TxCount(int n) {
    return std::size_t(std::clamp(n, 0, kTxStrSize));
}

// Writes the escaped frame byte by byte; a failing port cuts the frame short and the adapter
// simply never answers.
int WriteFrame(const std::uint8_t* frameData, std::size_t count) {
    std::uint8_t wire[codec::kMaxEncodedFrame];
    const std::size_t wireCount = codec::EncodeApiFrame(frameData, count, wire);
    int result = 0;
    for (std::size_t i = 0; i < wireCount; ++i) {
        result = ComWrtByte(Program.OpenComPortNum, wire[i]);
        if (result < 1) break;
    }
    return result;
}

int SendTransmitRequest(std::uint64_t destination, const std::uint8_t* text, std::size_t count) {
    if (Program.OpenComPortNum == 0) return 0;
    std::uint8_t frameData[codec::kMaxFrameData];
    return WriteFrame(frameData, codec::BuildTransmitRequest(destination, text, count, frameData));
}

} // namespace

int ComWrtAPIFrame(std::uint64_t destination, int n) {
    return SendTransmitRequest(destination, TxText(), TxCount(n));
}

int ComWrtAPIFrameText(std::uint64_t destination, const char* text, int n) {
    if (text == nullptr) n = 0;
    return SendTransmitRequest(destination, reinterpret_cast<const std::uint8_t*>(text),
                               std::size_t(std::clamp(n, 0, int(codec::kMaxFrameData))));
}

int ComWrtATCommand(int n) {
    if (Program.OpenComPortNum == 0) return 0;
    std::uint8_t frameData[codec::kMaxFrameData];
    return WriteFrame(frameData, codec::BuildATCommand(TxText(), TxCount(n), frameData));
}

int ComWrtRemoteATCommand(std::uint64_t destination, int n) {
    if (Program.OpenComPortNum == 0) return 0;
    std::uint8_t frameData[codec::kMaxFrameData];
    return WriteFrame(frameData,
                      codec::BuildRemoteATCommand(destination, TxText(), TxCount(n), frameData));
}

} // namespace undarix::link
