// The board's data lines under load: eight-staff lines fed through a memory port into
// ComCallback, each staff converted with its row of the main panel's staff-length table (read
// from the table widget at every line), dispatched and drawn into its table row. Also counts
// heap allocations per line.

#include "app/Application.h"
#include "core/FrameBuffers.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/ReceivePath.h"
#include "link/SerialPort.h"
#include "ui/Controls.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::atomic<long long> allocations{0};

} // namespace

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

constexpr int kLinesPerBatch = 240;

struct Feed {
    int port = 0;
    std::string batch;
};

Feed& TheFeed() {
    static Feed feed = [] {
        Feed f;
        f.port = link::PortNumberForPath("mem:bench-board");
        link::OpenComConfig(f.port, 38400);
        link::InstallComCallback(f.port, link::kRxCharEvent, link::ComCallback);
        core::Program.UnitType = core::Vazavevezeze;
        core::Program.OpenComPortNum = f.port;
        core::Program.WSWLConnectStatus = 5;
        core::Program.WiredSampleRate = 16;
        for (int row = 1; row <= 8; ++row)
            ui::SetTableCell(core::mainpanel::BoardStaffTable, row, 1, 2.0 + 1.5 * row);
        for (int i = 0; i < kLinesPerBatch; ++i) {
            std::string line;
            for (int s = 0; s < 8; ++s) {
                char field[8];
                std::snprintf(field, sizeof field, "%s%04i", s ? "," : "",
                              2048 + (i * 37 + s * 101) % 1500 - 750);
                line += field;
            }
            f.batch += line + "\r\n";
        }
        link::MemoryPortReceive(f.port, f.batch); // the staffs take their rows once
        return f;
    }();
    return feed;
}

void BM_BoardDataLines(benchmark::State& state) {
    Feed& feed = TheFeed();
    long long lines = 0;
    const long long before = allocations;
    for (auto _ : state) {
        link::MemoryPortReceive(feed.port, feed.batch);
        lines += kLinesPerBatch;
    }
    benchmark::DoNotOptimize(core::WorkValue);
    state.SetItemsProcessed(lines);
    state.counters["allocs/line"] = double(allocations - before) / double(lines);
}
BENCHMARK(BM_BoardDataLines)->Unit(benchmark::kMicrosecond);

// The part of a line's cost that is the staff-length table: eight cell reads.
void BM_StaffTableReads(benchmark::State& state) {
    TheFeed();
    const long long before = allocations;
    double sum = 0.0;
    long long lines = 0;
    for (auto _ : state) {
        for (int row = 1; row <= 8; ++row)
            sum += ui::GetTableCell(core::mainpanel::BoardStaffTable, row, 1);
        ++lines;
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(lines);
    state.counters["allocs/line"] = double(allocations - before) / double(lines);
}
BENCHMARK(BM_StaffTableReads);

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
