// The network output against a local Mosquitto broker: the share of one core that publishing
// adds while 8 units send at 32 Hz (single samples, the most messages; and blocks), and the
// rate at which a queued backlog of one hour of 8 units drains once the broker is back.

#include "core/FrameBuffers.h"
#include "core/ProgramState.h"
#include "files/NetworkOutput.h"
#include "files/codec/DataLine.h"
#include "files/codec/NetworkMessages.h"
#include "link/MqttPublisher.h"
#include "live/DeviceTable.h"
#include "support/Broker.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <span>
#include <thread>

namespace {

using namespace undarix;
using Clock = std::chrono::steady_clock;

constexpr int kUnits = 8;
constexpr int kRate = 32;

double CpuSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}
double ProcessCpuSeconds() {
    return CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
}
double ThreadCpuSeconds() {
    return CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
}

// The line of unit `unit`'s packet, as the data-file writer builds it, with the table
// record and WorkValue as the dispatcher leaves them.
std::string PrepareUnit(int unit, char kind, int second, int sample) {
    live::OutputLineRecord& record = live::OutputLine[std::size_t(unit)];
    record.address = 0x0013A20040A1B200ull + std::uint64_t(unit);
    record.deviceNumber = std::uint8_t(unit + 1);
    record.packetKind = kind;
    record.sampleRate = kRate;
    record.sampleCount = sample + 1;
    record.year = 2026;
    record.month = 12;
    record.day = 7;
    record.hour = 12;
    record.minute = second / 60 % 60;
    record.second = second % 60;
    const int values = kind == 'C' ? 1 : files::codec::BlockValueCount(kind);
    for (int i = 0; i < values; ++i)
        core::WorkValue[i] = 2.0f + 0.001f * float((i * 37 + sample * 11 + unit) % 900);
    char text[64];
    if (kind == 'C')
        std::snprintf(text, sizeof text, "C%03d,D1,S%02d,", unit + 1, kRate);
    else
        std::snprintf(text, sizeof text, "%c%03d,S%02d,B0,2026-12-07T12:%02d:%02d", kind, unit + 1,
                      kRate, second / 60 % 60, second % 60);
    char line[files::codec::kMaxDataLine];
    const std::size_t n =
        files::codec::BuildDataLine(kind, text, std::strlen(text), core::WorkValue, line);
    return std::string(line, n);
}

files::NetworkOutputSettings SettingsFor(int port) {
    files::NetworkOutputSettings settings;
    settings.enabled = true;
    settings.host = "127.0.0.1";
    settings.port = port;
    settings.topicRoot = "undarix/bench";
    return settings;
}

// Runs the writer's side of 8 units for `seconds` at their real pace, publishing or not; the
// share of one core the process used.
double LiveCpuShare(char kind, int seconds, bool publish, int port, double& callerShare) {
    QTemporaryDir dir;
    if (publish) files::StartNetworkOutput(SettingsFor(port), dir.filePath("q"));
    const int packetsPerSecond = kind == 'C' ? kRate : 1;
    const double cpuStart = ProcessCpuSeconds();
    double callerSeconds = 0;
    const Clock::time_point start = Clock::now();
    for (int tick = 0; tick < seconds * packetsPerSecond; ++tick) {
        for (int unit = 0; unit < kUnits; ++unit) {
            const std::string line = PrepareUnit(unit, kind, tick / packetsPerSecond, tick);
            const double callStart = ThreadCpuSeconds();
            files::PublishDataLine(unit, line.data(), line.size());
            callerSeconds += ThreadCpuSeconds() - callStart;
        }
        std::this_thread::sleep_until(
            start +
            std::chrono::microseconds(std::int64_t(tick + 1) * 1'000'000 / packetsPerSecond));
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double share = (ProcessCpuSeconds() - cpuStart) / elapsed;
    callerShare = callerSeconds / elapsed;
    if (publish) files::StopNetworkOutput();
    return share;
}

// What publishing adds: the same run with and without it, in percent of one core.
void LiveShareAdded(benchmark::State& state, char kind) {
    testing::Broker broker({"", "", false, false});
    if (!broker.Start().empty()) {
        state.SkipWithError("no broker");
        return;
    }
    constexpr int kSeconds = 20;
    for (auto _ : state) {
        double callerWithout = 0, caller = 0;
        const double without = LiveCpuShare(kind, kSeconds, false, broker.Port(), callerWithout);
        const double with = LiveCpuShare(kind, kSeconds, true, broker.Port(), caller);
        state.counters["core_percent_added"] = (with - without) * 100.0;
        // Of which on the program's own thread (building and handing over the messages).
        state.counters["core_percent_program_thread"] = (caller - callerWithout) * 100.0;
        state.counters["core_percent_without"] = without * 100.0;
    }
}

void BM_LiveEightUnitsSingleSamples(benchmark::State& state) {
    LiveShareAdded(state, 'C');
}
BENCHMARK(BM_LiveEightUnitsSingleSamples)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LiveEightUnitsBlocks(benchmark::State& state) {
    LiveShareAdded(state, 'A');
}
BENCHMARK(BM_LiveEightUnitsBlocks)->Iterations(1)->Unit(benchmark::kMillisecond);

// An hour of 8 units queued while the broker is away (the publisher's own queue, filled as
// the program fills it), then the time until the broker has acknowledged every message.
double DrainRate(char kind, int seconds, std::uint64_t& messages) {
    testing::Broker broker({"", "", false, false});
    QTemporaryDir dir;
    const int packetsPerSecond = kind == 'C' ? kRate : 1;
    {
        // The queue as the network thread fills it: each packet's line and its samples.
        link::MessageQueue queue;
        if (!queue.Open(dir.filePath("q").toStdString()).empty()) return -1;
        const std::string received = "2026-12-07T12:00:00.000Z";
        for (int tick = 0; tick < seconds * packetsPerSecond; ++tick)
            for (int unit = 0; unit < kUnits; ++unit) {
                const std::string line = PrepareUnit(unit, kind, tick / packetsPerSecond, tick);
                const live::OutputLineRecord& record = live::OutputLine[std::size_t(unit)];
                queue.Append(files::codec::DeviceTopic("undarix/bench", unit + 1, "line"), line,
                             false);
                files::codec::SamplesMessage samples;
                samples.device = unit + 1;
                samples.address = record.address;
                samples.kind = kind;
                samples.time = "2026-12-07T12:00:00";
                samples.rate = kRate;
                samples.values = std::span<const float>(
                    core::WorkValue,
                    std::size_t(kind == 'C' ? 1 : files::codec::BlockValueCount(kind)));
                samples.received = received;
                queue.Append(files::codec::DeviceTopic("undarix/bench", unit + 1, "samples"),
                             files::codec::SamplesJson(samples), false, true);
            }
    }
    if (!broker.Start().empty()) return -1;
    link::MqttPublisher publisher;
    link::MqttSettings settings;
    settings.host = "127.0.0.1";
    settings.port = broker.Port();
    settings.queueFolder = dir.filePath("q").toStdString();
    const Clock::time_point start = Clock::now();
    publisher.Start(settings);
    while (publisher.Status().state != link::MqttState::Connected ||
           publisher.Status().queued > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (Clock::now() - start > std::chrono::minutes(10)) return -1;
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    messages = publisher.Status().published;
    return double(messages) / elapsed;
}

void BM_DrainOneHourOfEightBlockUnits(benchmark::State& state) {
    for (auto _ : state) {
        std::uint64_t messages = 0;
        state.counters["messages_per_s"] = DrainRate('A', 3600, messages);
        state.counters["messages"] = double(messages);
    }
}
BENCHMARK(BM_DrainOneHourOfEightBlockUnits)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_DrainTenMinutesOfEightSingleSampleUnits(benchmark::State& state) {
    for (auto _ : state) {
        std::uint64_t messages = 0;
        state.counters["messages_per_s"] = DrainRate('C', 600, messages);
        state.counters["messages"] = double(messages);
    }
}
BENCHMARK(BM_DrainTenMinutesOfEightSingleSampleUnits)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
