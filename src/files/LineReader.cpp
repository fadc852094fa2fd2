#include "files/LineReader.h"

#include "core/FrameBuffers.h"
#include "core/Hooks.h"
#include "core/ProgramState.h"
#include "files/codec/DataLine.h"
#include "live/DeviceTable.h"
#include "live/FrameDispatch.h"

#include <algorithm>
#include <cstring>

namespace undarix::files {

char RxCSV[kRxCSVSize] = {};

namespace {

using core::Program;
using live::OutputLineRecord;

// The part of the line from `position` on (empty past its end).
struct Field {
    const char* text;
    std::size_t length;
};

Field At(const char* line, std::size_t length, std::size_t position) {
    if (position >= length) return {line + length, 0};
    return {line + position, length - position};
}

long IntAt(const char* line, std::size_t length, std::size_t position) {
    const Field field = At(line, length, position);
    return codec::ParseLeadingInt(field.text, field.length);
}

// Copies up to `count` characters from `position`, as many as the line has.
void CopyAt(const char* line, std::size_t length, std::size_t position, std::size_t count,
            char* out) {
    const Field field = At(line, length, position);
    std::memcpy(out, field.text, std::min(count, field.length));
}

void ReadSingleValue(int slot, const char* line, std::size_t length) {
    OutputLineRecord& record = live::OutputLine[slot];
    switch (length > 6 ? line[6] : '\0') {
    case '1': {
        record.sampleRate = std::uint8_t(IntAt(line, length, 9));
        const Field number = At(line, length, 12);
        const float value = codec::ParseLeadingReal(number.text, number.length);
        core::WorkValue[0] = value;
        record.lastValue = value;
        record.sampleCount += 1;
        record.updated = 1;
        record.recordType = 1;
        core::CallHook(core::hooks.UnitHeard, slot);
        if (Program.PlottingRunning) core::CallHook(core::hooks.PlotContData, slot);
        break;
    }
    case '8':
        CopyAt(line, length, 8, 10, record.timeStamp);
        record.timeStamp[10] = 'T';
        record.recordType = 8;
        break;
    case '9':
        CopyAt(line, length, 8, 8, record.timeStamp + 11);
        record.timeStamp[19] = '\0';
        live::GetDatesTimesFormStr(slot);
        record.recordType = 9;
        record.sampleCount = 0;
        break;
    case '7':
        switch (length > 8 ? line[8] : '\0') {
        case 'G': record.batteryStatus = '0'; break;
        case 'L': record.batteryStatus = '2'; break;
        case 'B': record.batteryStatus = '3'; break;
        default: break;
        }
        break;
    case '4': {
        // The number as it stands: the five characters of the field, or fewer.
        const Field number = At(line, length, 8);
        record.airTemperature =
            codec::ParseLeadingReal(number.text, std::min<std::size_t>(5, number.length));
        record.recordType = 4;
        break;
    }
    default: break;
    }
    live::WrLine2Display(slot);
}

void ReadBlock(int slot, char kind, const char* line, std::size_t length) {
    OutputLineRecord& record = live::OutputLine[slot];
    record.sampleRate = std::uint8_t(IntAt(line, length, 6));
    if (length > 10) record.batteryStatus = line[10];
    record.updated = 1;
    std::memset(record.timeStamp, 0, sizeof record.timeStamp);
    CopyAt(line, length, 12, 19, record.timeStamp);
    live::GetDatesTimesFormStr(slot);
    record.recordType = 0;

    // A line of the wrong length (cut, or spliced) updates the header only: its values are
    // neither taken as samples nor plotted.
    const int count = codec::BlockValueCount(kind);
    const bool complete = count != 0 && length == codec::BlockLineLength(kind);
    if (complete) {
        codec::ReadBlockValues(line, count, core::WorkValue);
        record.lastValue = core::WorkValue[count - 1];
        record.sampleCount = count;
        if (record.sampleRate != 0) record.offsetTime = count * 1000 / record.sampleRate;
    }
    live::WrLine2Display(slot);
    if (!complete) return;
    core::CallHook(core::hooks.UnitHeard, slot);
    if (Program.PlottingRunning) core::CallHook(core::hooks.PlotData, slot);
}

} // namespace

void RxCSVFileService() {
    const char* line = RxCSV;
    const std::size_t length = strnlen(RxCSV, kRxCSVSize);
    if (length == 0) return;
    const char kind = line[0];
    const int deviceNumber = IntAt(line, length, 1);

    const int slot = live::GetOutputLineLoc(deviceNumber == 0 ? kDeviceZeroAddress : deviceNumber);
    Program.AutoWaitSync = 0;
    if (slot == live::kNoSlot) return;
    OutputLineRecord& record = live::OutputLine[slot];
    record.packetKind = kind;
    record.deviceNumber = deviceNumber;
    if (kind == 'C')
        ReadSingleValue(slot, line, length);
    else
        ReadBlock(slot, kind, line, length);
    record.silenceTicks = 0;
}

} // namespace undarix::files
