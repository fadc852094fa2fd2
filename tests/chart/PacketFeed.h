#pragma once

// Puts units in the device table and hands their packets to the chart the way the dispatcher
// does: the record's fields and WorkValue filled, then PlotData or PlotContData.

#include "chart/ChartFifo.h"
#include "chart/PlotPageRoles.h"
#include "chart/TracePlotting.h"
#include "core/FrameBuffers.h"
#include "live/DeviceTable.h"
#include "ui/Controls.h"

namespace undarix::testing {

struct Stamp {
    int year = 2026, month = 12, day = 7, hour = 12, minute = 0, second = 0;
};

// The stamp `seconds` after 2026-12-07T12:00:00 (within the hour).
inline Stamp At(int seconds) {
    Stamp stamp;
    stamp.minute = seconds / 60;
    stamp.second = seconds % 60;
    return stamp;
}

inline void AddUnit(int slot, int deviceNumber, int rate) {
    live::OutputLineRecord& record = live::OutputLine[slot];
    record.address = 0x0013A20040000000ull + std::uint64_t(slot + 1);
    record.deviceNumber = std::uint8_t(deviceNumber);
    record.sampleRate = std::uint8_t(rate);
}

inline void SetStamp(live::OutputLineRecord& record, const Stamp& t) {
    record.year = t.year;
    record.month = t.month;
    record.day = t.day;
    record.hour = t.hour;
    record.minute = t.minute;
    record.second = t.second;
}

// A block of n samples first, first + step, ... stamped t.
inline void SendBlock(int slot, const Stamp& t, int n, float first, float step = 0.0f) {
    live::OutputLineRecord& record = live::OutputLine[slot];
    SetStamp(record, t);
    record.sampleCount = n;
    record.recordType = 0;
    for (int k = 0; k < n && k < int(core::kWorkValues); ++k)
        core::WorkValue[k] = first + step * k;
    chart::PlotData(slot);
}

// A single sample, the count-th since the unit's time record stamped t.
inline void SendSample(int slot, const Stamp& t, int count, float value) {
    live::OutputLineRecord& record = live::OutputLine[slot];
    SetStamp(record, t);
    record.sampleCount = count;
    record.recordType = 1;
    core::WorkValue[0] = value;
    chart::PlotContData(slot);
}

inline std::string TraceNumeric(int trace) {
    return ui::ArrayItemName(chart::roles::TraceSelectArray, trace);
}

// Puts a device number in a trace's numeric (as typed, without its callback).
inline void ChooseDevice(int trace, int deviceNumber) {
    ui::SetInt(TraceNumeric(trace), deviceNumber);
}

} // namespace undarix::testing
