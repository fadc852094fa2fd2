// The sea state of data-file lines: any bytes, read in pieces cut at any place, through the
// companion's feed into the accumulator, its quality control and its analysis, every record
// formatted. Intervals of 10 minutes and stamps that jump make records close often.

#include "analysis/codec/SeaStateAccumulator.h"
#include "analysis/codec/SeaStateFormat.h"
#include "cli/codec/SeaStateDataFeed.h"
#include "support/FuzzProgram.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace undarix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return -1;
    if (size < 2) return 0;
    // The first byte chooses the interval and the unit, the second the size of the pieces.
    analysis::codec::SeaStateSettings settings;
    constexpr int kMinutes[] = {10, 20, 30, 60};
    settings.intervalMinutes = kMinutes[data[0] % 4];
    settings.removeSlowLevel = (data[0] & 4) == 0;
    const int device = (data[0] & 8) ? data[0] >> 4 : cli::codec::kEveryDevice;
    const std::size_t piece = 1 + data[1] % 97;
    data += 2;
    size -= 2;

    analysis::codec::SeaStateAccumulator accumulator(
        settings, [](const analysis::codec::SeaStateRecord& record) {
            (void)analysis::codec::SeaStateCsvLine(record);
            (void)analysis::codec::SeaStateJsonLine(record);
        });
    cli::codec::SeaStateDataFeed feed(accumulator, device);
    for (std::size_t at = 0; at < size; at += piece)
        feed.Feed(reinterpret_cast<const char*>(data) + at, std::min(piece, size - at));
    feed.EndOfFile();
    accumulator.Flush();
    return 0;
}
