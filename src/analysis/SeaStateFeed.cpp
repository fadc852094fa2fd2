#include "analysis/SeaStateFeed.h"

#include "analysis/codec/CalendarSeconds.h"
#include "core/FrameBuffers.h"
#include "files/codec/DataLine.h"
#include "live/DeviceTable.h"

#include <algorithm>

namespace undarix::analysis {

FedSamples FeedSeaStateFromTable(int slot, codec::SeaStateAccumulator& accumulator) {
    FedSamples fed;
    if (slot < 0 || slot >= live::kTableSlots) return fed;
    const live::OutputLineRecord& record = live::OutputLine[std::size_t(slot)];
    const int rate = record.sampleRate;
    const codec::CalendarTime time{record.year, record.month,  record.day,
                                   record.hour, record.minute, record.second};
    if (rate < 1 || !codec::IsValidCalendarTime(time)) return fed;
    const std::int64_t stamp = codec::CalendarSeconds(time);

    if (record.packetKind == 'C') {
        if (record.recordType != 1 || record.sampleCount < 1) return fed;
        // Counted from the time record: the first sample after it is at the time it gives.
        const std::int64_t index = record.sampleCount - 1;
        accumulator.AddSample(record.address, record.deviceNumber, stamp, rate, index,
                              files::codec::LoggedValue(core::WorkValue[0]));
        fed.stamp = stamp + index / rate;
        fed.seconds = 1.0 / rate;
    } else {
        const int count = std::clamp(record.sampleCount, 0, int(core::kWorkValues));
        if (count == 0) return fed;
        float values[core::kWorkValues];
        for (int i = 0; i < count; ++i)
            values[i] = files::codec::LoggedValue(core::WorkValue[i]);
        accumulator.AddBlock(record.address, record.deviceNumber, stamp, rate, values, count);
        fed.stamp = stamp + count / rate;
        fed.seconds = double(count) / rate;
    }
    fed.fed = true;
    fed.address = record.address;
    return fed;
}

} // namespace undarix::analysis
