// The cost of forcing the logged files to the disk. Ten seconds of logging at eight radio
// units x 32 Hz, as the soak run sends them ("I" blocks of 64 samples: one 545-byte line per
// unit every 2 s, and every frame captured byte by byte, one write call per byte), written
// through the files' own record writer into a folder on the real disk; with the sync timer's
// two forced writes of that time (every 5 s), and without. The difference is the price of
// losing at most 5 s of data in a power cut.

#include "files/RecordFile.h"
#include "files/codec/DataLine.h"
#include "link/codec/ApiFrame.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace undarix;

constexpr int kUnits = 8;
constexpr int kSeconds = 10;
constexpr int kSyncEverySeconds = 5;
constexpr int kBlockSeconds = 2; // 64 samples at 32 Hz

struct Unit {
    std::string line;  // its data-file line
    std::string frame; // its frame as captured
};

std::vector<Unit> EightUnits() {
    std::vector<Unit> units;
    float values[64];
    for (int k = 0; k < 64; ++k)
        values[k] = float(k * 7919 % 30000) / 10000.0f;
    for (int unit = 1; unit <= kUnits; ++unit) {
        char header[40];
        std::snprintf(header, sizeof header, "I%03d,S32,B0,2026-12-07T12:00:%02d", unit, unit);
        char line[files::codec::kMaxDataLine];
        const std::size_t length =
            files::codec::BuildDataLine('I', header, std::strlen(header), values, line);
        std::string data = std::string("\x90\x00\x13\xA2\x00\x40\xA1\xB2", 8) + char(unit) +
                           std::string("\xFF\xFE\x41", 3) + header + ",," +
                           std::string(128, '\x5A');
        std::uint8_t wire[link::codec::kMaxEncodedFrame];
        const std::size_t n = link::codec::EncodeApiFrame(
            reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), wire);
        units.push_back(
            {std::string(line, length), std::string(reinterpret_cast<const char*>(wire), n)});
    }
    return units;
}

// Ten seconds of logging; with `sync`, the files are forced to the disk every 5 s.
void BM_TenSecondsOfEightUnitsAt32Hz(benchmark::State& state) {
    const bool sync = state.range(0) != 0;
    QTemporaryDir dir(QDir::current().filePath("bench-disksync-XXXXXX"));
    files::RecordFile data;
    files::RecordFile capture;
    if (!data.Open(dir.filePath("site000.csv"), files::RecordFile::Mode::Replace) ||
        !capture.Open(dir.filePath("site.api"), files::RecordFile::Mode::Replace)) {
        state.SkipWithError("cannot write in the current folder");
        return;
    }
    const std::vector<Unit> units = EightUnits();
    std::int64_t bytes = 0;
    for (auto _ : state) {
        for (int second = 0; second < kSeconds; ++second) {
            if (second % kBlockSeconds == 0)
                for (const Unit& unit : units) {
                    for (char byte : unit.frame)
                        capture.Append(&byte, 1);
                    data.Append(unit.line.data(), unit.line.size());
                    bytes += std::int64_t(unit.line.size() + unit.frame.size());
                }
            if (sync && (second + 1) % kSyncEverySeconds == 0) {
                data.Sync();
                capture.Sync();
            }
        }
    }
    state.SetBytesProcessed(bytes);
    state.counters["syncs"] = benchmark::Counter(double(state.iterations()) *
                                                 (sync ? 2.0 * kSeconds / kSyncEverySeconds : 0.0));
}
BENCHMARK(BM_TenSecondsOfEightUnitsAt32Hz)
    ->ArgName("sync")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
