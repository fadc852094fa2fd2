#include "cli/codec/SeaStateDataFeed.h"

#include "analysis/codec/CalendarSeconds.h"
#include "cli/codec/DataLineCheck.h"
#include "files/codec/DataLine.h"
#include "live/codec/SampleText.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace undarix::cli::codec {
namespace {

namespace acodec = analysis::codec;
namespace line_codec = files::codec;

constexpr std::uint64_t kDeviceZeroAddress = 0x100;
// Device numbers above 255 (a data line has three digits) clear of 0x100.
constexpr std::uint64_t kHighDeviceAddresses = 0x10000;
constexpr std::size_t kStampPosition = 12;

// The stamp's calendar seconds, or false for a time that does not exist.
bool StampSeconds(std::string_view text, std::int64_t& seconds) {
    int numbers[6];
    live::codec::ParseTimeStamp(text, numbers);
    const acodec::CalendarTime time{numbers[0], numbers[1], numbers[2],
                                    numbers[3], numbers[4], numbers[5]};
    if (!acodec::IsValidCalendarTime(time)) return false;
    seconds = acodec::CalendarSeconds(time);
    return true;
}

} // namespace

std::uint64_t DataFileAddress(int device) {
    if (device == 0) return kDeviceZeroAddress;
    return device > 255 ? kHighDeviceAddresses + std::uint64_t(device) : std::uint64_t(device);
}

SeaStateDataFeed::SeaStateDataFeed(acodec::SeaStateAccumulator& accumulator, int device)
    : accumulator_(accumulator), device_(device) {}

void SeaStateDataFeed::Feed(const char* bytes, std::size_t count) {
    const char* p = bytes;
    const char* const end = bytes + count;
    while (p < end) {
        const char* stop = p;
        while (stop < end && *stop != '\r' && *stop != '\n')
            ++stop;
        const std::size_t n = std::size_t(stop - p);
        if (length_ + n <= sizeof line_) {
            std::memcpy(line_ + length_, p, n);
            length_ += n;
        } else {
            tooLong_ = true;
        }
        p = stop;
        if (p < end) {
            EndLine(); // CR, LF, or CR LF: an empty line between them is passed over
            ++p;
        }
    }
}

void SeaStateDataFeed::EndOfFile() {
    EndLine();
}

void SeaStateDataFeed::EndLine() {
    if (length_ == 0 && !tooLong_) return;
    if (tooLong_)
        ++skippedLines_;
    else
        TakeLine(line_, length_);
    length_ = 0;
    tooLong_ = false;
}

void SeaStateDataFeed::TakeLine(const char* line, std::size_t length) {
    if (DataLineProblem(line, length) != nullptr) {
        ++skippedLines_;
        return;
    }
    ++goodLines_;
    if (line[0] == 'C')
        TakeSingle(line, length);
    else
        TakeBlock(line, length);
}

void SeaStateDataFeed::TakeBlock(const char* line, std::size_t length) {
    const int device = DataLineDevice(line, length);
    if (device_ != kEveryDevice && device != device_) return;
    std::int64_t stamp = 0;
    if (!StampSeconds(std::string_view(line + kStampPosition, live::codec::kTimeStampLength),
                      stamp))
        return;
    const int rate = int(line_codec::ParseLeadingInt(line + 6, 2));
    const int count = line_codec::BlockValueCount(line[0]);
    float values[64];
    line_codec::ReadBlockValues(line, count, values);
    accumulator_.AddBlock(DataFileAddress(device), device, stamp, rate, values, count);
    samples_ += std::uint64_t(count);
}

// Date, time and sample records as the playback reader takes them into the unit's record.
void SeaStateDataFeed::TakeSingle(const char* line, std::size_t length) {
    const int device = DataLineDevice(line, length);
    SingleClock& clock = clocks_[std::size_t(std::clamp(device, 0, kDataLineDevices - 1))];
    switch (line[6]) {
    case '8':
        std::memcpy(clock.timeStamp, line + 8, 10);
        clock.timeStamp[10] = 'T';
        break;
    case '9':
        std::memcpy(clock.timeStamp + 11, line + 8, 8);
        clock.timeStamp[19] = '\0';
        clock.timed = StampSeconds(std::string_view(clock.timeStamp, 19), clock.stamp);
        clock.count = 0;
        break;
    case '1': {
        ++clock.count;
        if (!clock.timed || (device_ != kEveryDevice && device != device_)) return;
        const int rate = int(line_codec::ParseLeadingInt(line + 9, 2));
        const float value = line_codec::ReadValueField(line + 12);
        accumulator_.AddSample(DataFileAddress(device), device, clock.stamp, rate, clock.count - 1,
                               value);
        ++samples_;
        break;
    }
    default: break;
    }
}

} // namespace undarix::cli::codec
