// The sea state per interval: the companion over data files (samples per second on one core,
// the peak memory of a four times longer input, records that do not depend on the size of the
// pieces read), and what the live accumulator costs the window at 8 units x 32 Hz.

#include "analysis/SeaState.h"
#include "cli/SeaStateCommand.h"
#include "core/FrameBuffers.h"
#include "core/ProgramState.h"
#include "files/codec/DataLine.h"
#include "live/DeviceTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string>
#include <time.h>

namespace {

using namespace undarix;

constexpr int kUnits = 8;
constexpr int kRate = 32;
constexpr int kPerLine = 64; // "I" lines: 2 s at 32 Hz

QTemporaryDir& Dir() {
    static QTemporaryDir dir;
    return dir;
}

cli::Console Silent(std::string* out = nullptr) {
    return cli::Console{[out](std::string_view bytes) {
                            if (out) out->append(bytes);
                        },
                        [](std::string_view) {}};
}

// A sea of a few swells and a little noise, different at every unit, quantised as a data file
// holds it.
float Level(int unit, std::int64_t sample) {
    const double t = double(sample) / kRate;
    const double w = 2 * std::numbers::pi;
    const std::uint32_t hash = std::uint32_t(sample * 2654435761u + unit * 40503u);
    return float(1.5 + 0.1 * unit + 0.4 * std::sin(w * t / 8.0 + unit) +
                 0.2 * std::sin(w * t / 5.3) + 0.1 * std::sin(w * t / 11.7 + 2 * unit) +
                 0.01 * (double(hash >> 8) / double(1u << 24) - 0.5));
}

// `hours` of eight units from 2026-12-01T00:00:00, one file per six hours.
QStringList DataFiles(int hours) {
    QStringList files;
    char prefix[40];
    char line[files::codec::kMaxDataLine];
    float values[kPerLine];
    for (int part = 0; part * 6 < hours; ++part) {
        const QString path =
            Dir().filePath(QString("site%1-%2.csv").arg(hours).arg(part, 3, 10, QChar('0')));
        files << path;
        if (QFile::exists(path)) continue;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        std::string buffer;
        const int from = part * 6 * 3600, to = std::min(hours, part * 6 + 6) * 3600;
        for (int second = from; second < to; second += kPerLine / kRate) {
            for (int unit = 0; unit < kUnits; ++unit) {
                std::snprintf(prefix, sizeof prefix, "I%03d,S%02d,B0,2026-12-%02dT%02d:%02d:%02d",
                              unit + 1, kRate, 1 + second / 86400, second / 3600 % 24,
                              second / 60 % 60, second % 60);
                for (int k = 0; k < kPerLine; ++k)
                    values[k] = Level(unit, std::int64_t(second) * kRate + k);
                const std::size_t n =
                    files::codec::BuildDataLine('I', prefix, std::strlen(prefix), values, line);
                buffer.append(line, n);
            }
            if (buffer.size() > (4 << 20)) {
                file.write(buffer.data(), qint64(buffer.size()));
                buffer.clear();
            }
        }
        file.write(buffer.data(), qint64(buffer.size()));
    }
    return files;
}

long PeakResidentKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').front().toLong();
    return 0;
}

// Starts the peak anew at the present resident size.
void ResetPeak() {
    QFile clear("/proc/self/clear_refs");
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A day of eight units at 32 Hz (22 million samples, four files) through undarix-cli
// seastate, on this one thread.
void BM_SeaStateDataFiles(benchmark::State& state) {
    cli::SeaStateRequest request;
    request.inputs = DataFiles(24);
    const double samples = double(kUnits) * kRate * 24 * 3600;
    qint64 bytes = 0;
    for (const QString& file : request.inputs)
        bytes += QFile(file).size();
    const cli::Console console = Silent();
    double cpu = 0.0;
    for (auto _ : state) {
        const double before = CpuSeconds();
        if (cli::RunSeaState(request, console) != 0) state.SkipWithError("seastate failed");
        cpu += CpuSeconds() - before;
    }
    state.SetItemsProcessed(std::int64_t(samples * double(state.iterations())));
    state.SetBytesProcessed(bytes * state.iterations());
    state.counters["samples_per_cpu_s"] = samples * double(state.iterations()) / cpu;
}
BENCHMARK(BM_SeaStateDataFiles)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Peak memory over 6 hours of data, then over 24 hours: the growth is what four times the
// input costs.
void BM_SeaStateMemory(benchmark::State& state) {
    cli::SeaStateRequest shortRun, longRun;
    shortRun.inputs = DataFiles(6);
    longRun.inputs = DataFiles(24);
    const cli::Console console = Silent();
    long afterShort = 0, afterLong = 0;
    for (auto _ : state) {
        (void)cli::RunSeaState(shortRun, console); // warms the allocator and the plans
        ResetPeak();
        (void)cli::RunSeaState(shortRun, console);
        afterShort = PeakResidentKiB();
        ResetPeak();
        (void)cli::RunSeaState(longRun, console);
        afterLong = PeakResidentKiB();
    }
    state.counters["peak_KiB_6h"] = double(afterShort);
    state.counters["peak_KiB_24h"] = double(afterLong);
    state.counters["growth_KiB"] = double(afterLong - afterShort);
}
BENCHMARK(BM_SeaStateMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// The records of six hours read in pieces of 1 MB, 64 KiB, 4093 bytes and 545 bytes (a line):
// 1 when every output is the same.
void BM_SeaStateChunking(benchmark::State& state) {
    cli::SeaStateRequest request;
    request.inputs = DataFiles(6);
    bool same = true;
    std::size_t records = 0;
    for (auto _ : state) {
        std::string first;
        for (qint64 chunk : {qint64(1) << 20, qint64(65536), qint64(4093), qint64(545)}) {
            std::string out;
            request.chunkBytes = chunk;
            (void)cli::RunSeaState(request, Silent(&out));
            if (first.empty())
                first = out;
            else
                same = same && out == first;
        }
        records = std::size_t(std::count(first.begin(), first.end(), '\n')) - 1;
    }
    state.counters["identical"] = same ? 1 : 0;
    state.counters["records"] = double(records);
}
BENCHMARK(BM_SeaStateChunking)->Iterations(1)->Unit(benchmark::kMillisecond);

// The window's accumulator fed as the dispatcher feeds it: 8 units each sending a 32-sample
// block a second at 32 Hz, for a simulated `hours`; the CPU it took over the time simulated.
void BM_LiveAccumulator(benchmark::State& state) {
    const int hours = 2;
    core::Program.DataSource = core::kSourceSerialPort;
    for (int unit = 0; unit < kUnits; ++unit) {
        live::OutputLine[std::size_t(unit)].address = 0x0013A20040000000ull + std::uint64_t(unit);
        live::OutputLine[std::size_t(unit)].deviceNumber = std::uint8_t(unit + 1);
        live::OutputLine[std::size_t(unit)].packetKind = 'A';
        live::OutputLine[std::size_t(unit)].recordType = 0;
        live::OutputLine[std::size_t(unit)].sampleRate = kRate;
        live::OutputLine[std::size_t(unit)].sampleCount = 32;
    }
    analysis::BindSeaState();
    double cpu = 0.0;
    for (auto _ : state) {
        const double before = CpuSeconds();
        for (int second = 0; second < hours * 3600; ++second)
            for (int unit = 0; unit < kUnits; ++unit) {
                live::OutputLineRecord& record = live::OutputLine[std::size_t(unit)];
                record.year = 2026;
                record.month = 12;
                record.day = 1;
                record.hour = second / 3600;
                record.minute = second / 60 % 60;
                record.second = second % 60;
                for (int k = 0; k < 32; ++k)
                    core::WorkValue[k] = Level(unit, std::int64_t(second) * kRate + k);
                analysis::FeedSeaState(unit);
            }
        cpu += CpuSeconds() - before;
    }
    const double simulated = double(hours) * 3600.0 * double(state.iterations());
    state.counters["cpu_percent_8x32Hz"] = 100.0 * cpu / simulated;
    state.counters["records"] = double(analysis::SeaState.history.size());
}
BENCHMARK(BM_LiveAccumulator)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
