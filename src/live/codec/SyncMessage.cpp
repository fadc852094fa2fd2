#include "live/codec/SyncMessage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace undarix::live::codec {
namespace {

constexpr double kTickMs = 1000.0 / 128.0;

int TwoDigits(int value) {
    return std::clamp(value, 0, 99);
}

} // namespace

int SyncTicksToSecond(int fractionMs) {
    return int(std::lround((kSyncLeadMs - fractionMs) / kTickMs));
}

std::size_t FormatSyncMessage(const SyncTime& time, char separator1, char separator2, int ticks,
                              char* out, std::size_t size) {
    if (out == nullptr || size == 0) return 0;
    const int written = std::snprintf(
        out, size, "ZS,%02i-%02i-%02iT%02i%c%02i%c%02i.%03i\r\n", TwoDigits(time.year - 2000),
        TwoDigits(time.month), TwoDigits(time.day), TwoDigits(time.hour), separator1,
        TwoDigits(time.minute), separator2, TwoDigits(time.second), std::clamp(ticks, 0, 999));
    if (written < 0) return 0;
    return std::min(std::size_t(written), size - 1);
}

} // namespace undarix::live::codec
