#include "live/FrameDispatch.h"

#include "core/FrameBuffers.h"
#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/PanId.h"
#include "link/ReceiveState.h"
#include "link/codec/ApiFrame.h"
#include "live/DeviceTable.h"
#include "live/TimeSync.h"
#include "live/codec/SampleText.h"
#include "ui/Controls.h"
#include "ui/Delay.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace undarix::live {
using namespace core;
namespace {

namespace api = link::codec;

constexpr int kPacketHeader = int(link::kPacketTextStart); // id, 64-bit, 16-bit, options
constexpr int kATResponseHeader = 5;                       // id, frame id, command (2), status
constexpr int kRemoteATResponseHeader = 15; // id, frame id, 64-bit, 16-bit, command, status
constexpr int kATValueStart = 2;
constexpr int kRemoteATValueStart = 12;
constexpr int kConfigReplyMax = int(kRxCharsSize) - 1;
constexpr int kBroadcastHold = 14;
constexpr int kFastSyncTicks = 300;
constexpr double kSyncReplyWait = 0.004;
constexpr std::size_t kSyncSecondsPos = 29; // seconds digits of a block's time stamp

bool FromFile() {
    return Program.ServingPlayback != 0;
}

// The chart shows the table's units: a port's unit served out of sight (a file plays) is not
// drawn on it.
void Heard(int slot) {
    if (LiveTableOutOfSight()) return;
    CallHook(hooks.UnitHeard, slot);
}
void Plot(int slot, bool single) {
    if (!Program.PlottingRunning || LiveTableOutOfSight()) return;
    CallHook(single ? hooks.PlotContData : hooks.PlotData, slot);
}

bool ReportsToFileOrPort() {
    return Program.OutputDataFileOpen != 0 || Program.OpenComPortOutPutNum != 0 ||
           Program.NetworkOutputOn != 0;
}

std::uint64_t ReadAddress(const std::uint8_t* bytes) {
    std::uint64_t address = 0;
    for (int i = 0; i < 8; ++i)
        address = address << 8 | bytes[i];
    return address;
}

// A new rate restarts the fast clock-sync rounds.
void UpdateRate(OutputLineRecord& record, int rate) {
    if (rate == record.sampleRate) return;
    Program.FastSyncSecTimeout = kFastSyncTicks;
    record.sampleRate = std::uint8_t(rate >= 0 && rate <= 255 ? rate : 0);
}

float ZeroRelative(const OutputLineRecord& record, float value) {
    return record.zeroMode ? value - record.zeroOffset : value;
}

// The awaited unit has spoken: answer with its time-sync message. A one-sample unit gets
// plain separators; a block unit gets the seconds digits of its own packet's time stamp,
// which only a packet long enough to carry them can give (the next one is awaited instead).
void ServeTimeSync(std::uint64_t address, std::string_view text) {
    const char kind = text.empty() ? '\0' : text[0];
    if (kind == 'C') {
        RxSecSync[0] = RxSecSync[1] = ':';
    } else if (kind != '$' && kind != '\0' && text.size() > kSyncSecondsPos + 1) {
        RxSecSync[0] = char(text[kSyncSecondsPos] + 17);
        RxSecSync[1] = char(text[kSyncSecondsPos + 1] + 17);
    } else {
        return;
    }
    RxSecSync[2] = '\0';
    ui::Delay(kSyncReplyWait);
    AutoSyncRavoZerarXB(address);
    Program.AutoWaitSync = 0;
}

void ServeSingleRecord(int slot, std::string_view text, std::uint8_t tenthFlag) {
    OutputLineRecord& record = OutputLine[slot];
    const codec::SingleRecord single = codec::DecodeSingleRecord(text, tenthFlag != 0);
    // Too short to carry its field: no record. A line written now would repeat the last
    // sample's value as a new one.
    if (single.type == 0) return;
    record.deviceNumber = single.deviceNumber;
    switch (single.type) {
    case '1': {
        UpdateRate(record, single.sampleRate);
        const float value = ZeroRelative(record, single.value);
        record.lastValue = value;
        WorkValue[0] = value;
        ++record.sampleCount;
        record.updated = 1;
        record.recordType = 1;
        Heard(slot);
        Plot(slot, true);
        CallHook(hooks.SeaStateSamples, slot);
        break;
    }
    case '8':
        std::memcpy(record.timeStamp, single.date, sizeof single.date);
        record.timeStamp[10] = 'T';
        record.recordType = 8;
        break;
    case '9':
        std::memcpy(record.timeStamp + 11, single.time, sizeof single.time);
        record.timeStamp[19] = '\0';
        GetDatesTimesFormStr(slot);
        record.sampleCount = 0;
        record.recordType = 9;
        break;
    case '7':
        if (single.batteryStatus) record.batteryStatus = single.batteryStatus;
        break;
    case '4':
        record.airTemperature = single.airTemperature;
        record.recordType = 4;
        break;
    default: break;
    }
    WrLine2Display(slot);
    if (ReportsToFileOrPort()) CallHook(hooks.WriteOutputToFile, slot);
}

// A block too short for its kind, or of an unknown kind, updates the header only: it has no
// samples to show, chart or log.
void ServeBlock(int slot, std::string_view text) {
    OutputLineRecord& record = OutputLine[slot];
    const codec::BlockHeader header = codec::DecodeBlockHeader(text);
    record.deviceNumber = header.deviceNumber;
    UpdateRate(record, header.sampleRate);
    if (header.batteryStatus) record.batteryStatus = header.batteryStatus;
    record.updated = 1;
    if (header.hasTimeStamp) {
        std::memcpy(record.timeStamp, header.timeStamp, sizeof header.timeStamp);
        record.timeStamp[codec::kTimeStampLength] = '\0';
        GetDatesTimesFormStr(slot);
    }
    const int count = codec::DecodeBlockSamples(text, WorkValue);
    if (count > 0) {
        if (record.zeroMode)
            for (int i = 0; i < count; ++i)
                WorkValue[i] -= record.zeroOffset;
        record.lastValue = WorkValue[count - 1];
        record.sampleCount = count;
        if (record.sampleRate != 0) record.offsetTime = count * 1000 / record.sampleRate;
    }
    record.recordType = 0;
    WrLine2Display(slot);
    if (count == 0) return;
    Heard(slot);
    Plot(slot, false);
    CallHook(hooks.SeaStateSamples, slot);
    if (ReportsToFileOrPort()) CallHook(hooks.WriteOutputToFile, slot);
}

// The reply up to its first carriage return or line feed, within the frame and RxChars.
void ServeConfigReply(int slot, std::string_view text) {
    int n = 0;
    const int limit = std::min(int(text.size()), kConfigReplyMax);
    while (n < limit && text[n] != '\r' && text[n] != '\n') {
        RxChars[n] = text[n];
        ++n;
    }
    RxChars[n] = '\0';
    OutputLine[slot].silenceTicks = 0;
    CallHook(hooks.RxConfigData, slot);
}

void ServeReceivePacket(int length, std::uint8_t tenthFlag) {
    if (length < kPacketHeader) return; // not even the sender's address
    const bool fromFile = FromFile();
    if (!fromFile && Program.BroadcastTimeOut > kBroadcastHold &&
        ui::GetInt(mainpanel::BroadcastPowerRing) != 0)
        Program.BroadcastTimeOut = kBroadcastHold;

    const std::uint64_t address = ReadAddress(link::RxFrame + 1);
    // Address 0 marks a free record: a frame claiming it must not take over a row.
    const int slot = address == 0 ? kNoSlot : GetOutputLineLoc(address);
    const std::string_view text(reinterpret_cast<const char*>(link::RxFrame) + kPacketHeader,
                                std::size_t(length - kPacketHeader));
    if (!fromFile && Program.AutoWaitSync && slot == Program.AutoSyncLoc)
        ServeTimeSync(address, text);
    if (slot == kNoSlot) return;

    OutputLineRecord& record = OutputLine[slot];
    if (!text.empty()) {
        const char kind = text[0];
        if (kind == '$') {
            if (!fromFile) {
                record.packetKind = kind;
                ServeConfigReply(slot, text);
            }
        } else {
            record.packetKind = kind;
            if (kind == 'C')
                ServeSingleRecord(slot, text, tenthFlag);
            else
                ServeBlock(slot, text);
        }
    }
    if (record.sampleRate < 1 || record.sampleRate > 32) record.sampleRate = 1;
    record.silenceTicks = 0; // heard
}

// Command, status and value: never more than RxChars holds, never fewer than command and
// status (a handler must not act on an earlier reply's bytes).
void ServeATResponse(int length) {
    if (length < kATResponseHeader) return;
    const int count = std::min(length - kATValueStart, int(kRxCharsSize));
    std::memcpy(RxChars, link::RxFrame + kATValueStart, std::size_t(count));
    link::RxATCommandResponce(count);
}

// Only the unit being configured is listened to.
void ServeRemoteATResponse(int length) {
    if (length < kRemoteATResponseHeader) return;
    if (ReadAddress(link::RxFrame + 2) != Program.ConfigDeviceAddr) return;
    const int count = std::min(length - kRemoteATValueStart, int(kRxCharsSize));
    std::memcpy(RxChars, link::RxFrame + kRemoteATValueStart, std::size_t(count));
    link::RxRemoteATCommandResponce(count);
}

} // namespace

void RxDataService(std::uint8_t tenthFlag) {
    const int length = std::clamp(link::UartXbee.frameLength, 0, int(link::kRxFrameSize));
    // A frame from the port while a file plays: its unit goes on being logged, in the table
    // set aside for the port's units, and the played file's table stays on the screen.
    const auto serve = [&] {
        if (length <= 0) return;
        switch (link::RxFrame[0]) {
        case api::kReceivePacket: ServeReceivePacket(length, tenthFlag); break;
        case api::kATCommandResponse:
            if (!FromFile()) ServeATResponse(length);
            break;
        case api::kRemoteATCommandResponse:
            if (!FromFile()) ServeRemoteATResponse(length);
            break;
        default: break; // transmit status and anything else
        }
    };
    if (FromFile())
        serve();
    else
        WithLiveTable(serve);
    link::UartXbee.receiveState = 0;
    if (FromFile()) Program.FileRxStatus = 0;
}

void GetDatesTimesFormStr(int slot) {
    if (slot < 0 || slot >= kTableSlots) return;
    OutputLineRecord& record = OutputLine[slot];
    int numbers[6];
    codec::ParseTimeStamp(
        std::string_view(record.timeStamp, strnlen(record.timeStamp, codec::kTimeStampLength)),
        numbers);
    record.year = numbers[0];
    record.month = numbers[1];
    record.day = numbers[2];
    record.hour = numbers[3];
    record.minute = numbers[4];
    record.second = numbers[5];
}

} // namespace undarix::live
