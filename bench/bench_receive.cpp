// The receive path under load: escaped "I"-block frames of four units fed through a memory
// port into ComCallback, reassembled, dispatched, decoded into WorkValue and drawn into the
// unit's table row. Also counts heap allocations: the path itself should add none to what
// drawing a row costs.

#include "app/Application.h"
#include "core/FrameBuffers.h"
#include "core/ProgramState.h"
#include "link/ReceivePath.h"
#include "link/SerialPort.h"
#include "link/codec/ApiFrame.h"
#include "live/DeviceTable.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <string>

namespace {

std::atomic<long long> allocations{0};

} // namespace

// Every heap allocation, the C++ ones and Qt's own (which call malloc directly), is counted.
extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* __libc_calloc(std::size_t count, std::size_t size);
extern "C" void* __libc_realloc(void* p, std::size_t size);
extern "C" void* malloc(std::size_t size) {
    ++allocations;
    return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t count, std::size_t size) {
    ++allocations;
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* p, std::size_t size) {
    ++allocations;
    return __libc_realloc(p, size);
}

namespace {

using namespace undarix;

constexpr int kUnits = 4;
constexpr int kFramesPerBatch = 256;

std::string IBlockFrame(std::uint64_t address, int sequence) {
    std::string data = "\x90";
    for (int i = 7; i >= 0; --i)
        data += char(address >> (8 * i));
    data += std::string("\xFF\xFE\x41", 3);
    char header[40];
    std::snprintf(header, sizeof header, "I%03i,S16,B0,2026-12-07T12:%02i:%02i,,",
                  int(address & 0xFF), sequence / 60 % 60, sequence % 60);
    data += header;
    for (int k = 0; k < 64; ++k) {
        // A wave around 1.5 m; some samples hit the escaped values 0x7D, 0x7E, 0x11, 0x13.
        const int mm = 1500 + (k * 37 + sequence * 11) % 700 - 350;
        data += char(mm & 0xFF);
        data += char(mm >> 8);
    }
    std::uint8_t wire[link::codec::kMaxEncodedFrame];
    const std::size_t n = link::codec::EncodeApiFrame(
        reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), wire);
    return std::string(reinterpret_cast<const char*>(wire), n);
}

struct Feed {
    int port = 0;
    std::string batch;
};

Feed& TheFeed() {
    static Feed feed = [] {
        Feed f;
        f.port = link::PortNumberForPath("mem:bench");
        link::OpenComConfig(f.port, 115200);
        link::InstallComCallback(f.port, link::kRxCharEvent, link::ComCallback);
        core::Program.UnitType = 0;
        core::Program.OpenComPortNum = f.port;
        for (int i = 0; i < kFramesPerBatch; ++i)
            f.batch += IBlockFrame(0x0013A20040A1B200ull + std::uint64_t(i % kUnits), i);
        link::MemoryPortReceive(f.port, f.batch); // the units take their rows once
        return f;
    }();
    return feed;
}

void BM_ReceiveIBlocks(benchmark::State& state) {
    Feed& feed = TheFeed();
    long long served = 0;
    const long long before = allocations;
    for (auto _ : state) {
        link::MemoryPortReceive(feed.port, feed.batch);
        served += kFramesPerBatch;
    }
    const long long pathAllocations = allocations - before;
    benchmark::DoNotOptimize(core::WorkValue);
    state.SetBytesProcessed(state.iterations() * std::int64_t(feed.batch.size()));
    state.SetItemsProcessed(served);
    state.counters["allocs/frame"] = double(pathAllocations) / double(served);

    // The same frame again and again draws the same texts into its row, so whatever the
    // path allocates beyond drawing that row shows as the difference.
    std::string repeated;
    for (int i = 0; i < kFramesPerBatch; ++i)
        repeated += IBlockFrame(0x0013A20040A1B200ull, 7);
    link::MemoryPortReceive(feed.port, repeated);
    const long long pathBefore = allocations;
    link::MemoryPortReceive(feed.port, repeated);
    const long long repeatedPath = allocations - pathBefore;
    const int slot = live::GetOutputLineLoc(0x0013A20040A1B200ull);
    const long long drawBefore = allocations;
    for (int i = 0; i < kFramesPerBatch; ++i)
        live::WrLine2Display(slot);
    const long long drawOnly = allocations - drawBefore;
    state.counters["receive+decode allocs/frame"] =
        double(repeatedPath - drawOnly) / double(kFramesPerBatch);
}
BENCHMARK(BM_ReceiveIBlocks)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    auto panel = app::LoadMainPanel({});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
