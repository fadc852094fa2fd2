#pragma once

// The lines of data files into the sea-state accumulator, read as the program's playback
// reads them: the bytes come in pieces of any size (a line may be cut between two), each line
// that has the data-file layout gives its samples, and single-sample units are timed by their
// last date and time records, counted on per sample. The state carries over from one file to
// the next, so a month of daily files reads as one stream.

#include "analysis/codec/SeaStateAccumulator.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace undarix::cli::codec {

// Device numbers a data line can carry (three digits), and the choice of every unit.
inline constexpr int kDataLineDevices = 1000;
inline constexpr int kEveryDevice = -1;

// The address a data file's unit goes by: its device number (0x100 for device 0, 0x10000 on
// for those above 255, so that no two share one).
[[nodiscard]] std::uint64_t DataFileAddress(int device);

class SeaStateDataFeed {
public:
    // Only the samples of `device` (0 to 999); every unit's with kEveryDevice.
    SeaStateDataFeed(analysis::codec::SeaStateAccumulator& accumulator,
                     int device = kEveryDevice);

    void Feed(const char* bytes, std::size_t count);
    // The end of a file: a last line without its line end is taken too.
    void EndOfFile();

    [[nodiscard]] std::uint64_t GoodLines() const { return goodLines_; }
    [[nodiscard]] std::uint64_t SkippedLines() const { return skippedLines_; }
    [[nodiscard]] std::uint64_t Samples() const { return samples_; }

private:
    // What a single-sample unit's date and time records have said so far.
    struct SingleClock {
        char timeStamp[20] = {}; // "YYYY-MM-DDThh:mm:ss" as the records built it
        bool timed = false;      // a time record came, and its stamp is a valid time
        std::int64_t stamp = 0;
        std::int64_t count = 0; // samples since the time record
    };

    void EndLine();
    void TakeLine(const char* line, std::size_t length);
    void TakeBlock(const char* line, std::size_t length);
    void TakeSingle(const char* line, std::size_t length);

    analysis::codec::SeaStateAccumulator& accumulator_;
    int device_;
    char line_[1024];
    std::size_t length_ = 0;
    bool tooLong_ = false;
    std::array<SingleClock, kDataLineDevices> clocks_{};
    std::uint64_t goodLines_ = 0;
    std::uint64_t skippedLines_ = 0;
    std::uint64_t samples_ = 0;
};

} // namespace undarix::cli::codec
