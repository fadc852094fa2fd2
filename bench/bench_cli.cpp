// undarix-cli convert of a capture file: bytes of input converted per second on one core,
// through the program's receive path, dispatcher and data-file writer, and the peak memory of
// converting a file four times as large (it should not grow with the file's size).

#include "cli/ConvertCommand.h"
#include "link/codec/ApiFrame.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using namespace undarix;

constexpr std::size_t kMegabyte = 1000 * 1000;

std::string Frame(std::uint64_t address, const std::string& text) {
    std::string data = "\x90";
    for (int i = 7; i >= 0; --i)
        data += char(address >> (8 * i));
    data += std::string("\xFF\xFE\x41", 3) + text;
    std::uint8_t wire[link::codec::kMaxEncodedFrame];
    const std::size_t n = link::codec::EncodeApiFrame(
        reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), wire);
    return std::string(reinterpret_cast<const char*>(wire), n);
}

// Four units a second: two "I" units at 16 Hz, two "A" units at 32 Hz, waves whose samples
// now and then hit the bytes that travel escaped.
std::string SecondOfFourUnits(int second) {
    std::string wire;
    char header[48];
    for (int unit = 0; unit < 4; ++unit) {
        const bool integer = unit < 2;
        std::snprintf(header, sizeof header, "%c%03d,S%02d,B0,2026-12-07T%02d:%02d:%02d,,",
                      integer ? 'I' : 'A', unit + 1, integer ? 16 : 32, second / 3600 % 24,
                      second / 60 % 60, second % 60);
        std::string text = header;
        for (int k = 0; k < (integer ? 64 : 32); ++k) {
            const int mm = 1500 + (k * 37 + second * 11 + unit * 101) % 900 - 450;
            if (integer) {
                text += char(mm & 0xFF);
                text += char(mm >> 8);
            } else {
                char digits[8];
                std::snprintf(digits, sizeof digits, "%06d", mm);
                text += digits;
            }
        }
        if (!integer || second % 4 == 0)
            wire += Frame(0x0013A20040A1B200ull + std::uint64_t(unit), text);
    }
    return wire;
}

// Eight "I" units at 16 Hz: one block of 64 samples each every four seconds, as a long
// field recording is made of.
std::string FourSecondsOfEightIUnits(int second) {
    std::string wire;
    char header[48];
    for (int unit = 0; unit < 8; ++unit) {
        std::snprintf(header, sizeof header, "I%03d,S16,B0,2026-12-07T%02d:%02d:%02d,,", unit + 1,
                      second / 3600 % 24, second / 60 % 60, second % 60);
        std::string text = header;
        for (int k = 0; k < 64; ++k) {
            const int mm = 1500 + (k * 37 + second * 11 + unit * 101) % 900 - 450;
            text += char(mm & 0xFF);
            text += char(mm >> 8);
        }
        wire += Frame(0x0013A20040A1B200ull + std::uint64_t(unit), text);
    }
    return wire;
}

enum class Units { FourMixed, EightI };

QString CaptureFile(const QTemporaryDir& dir, std::size_t size, Units units = Units::FourMixed) {
    const QString path = dir.filePath(QString("capture-%1%2.api")
                                          .arg(size / kMegabyte)
                                          .arg(units == Units::EightI ? "-8I" : ""));
    if (QFile::exists(path)) return path;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    std::size_t written = 0;
    for (int second = 0; written < size; ++second) {
        const std::string wire = units == Units::EightI ? FourSecondsOfEightIUnits(second * 4)
                                                        : SecondOfFourUnits(second);
        file.write(wire.data(), qint64(wire.size()));
        written += wire.size();
    }
    return path;
}

long PeakResidentKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').front().toLong();
    return 0;
}

cli::Console Silent() {
    return cli::Console{[](std::string_view) {}, [](std::string_view) {}};
}

QTemporaryDir& Dir() {
    static QTemporaryDir dir;
    return dir;
}

void BM_ConvertCapture(benchmark::State& state) {
    const std::size_t size = std::size_t(state.range(0)) * kMegabyte;
    const QString input = CaptureFile(Dir(), size);
    const QString output = Dir().filePath("converted.csv");
    const qint64 bytes = QFileInfo(input).size();
    const cli::Console console = Silent();
    for (auto _ : state) {
        if (cli::ConvertFile(input, output, console) != 0) state.SkipWithError("convert failed");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * bytes);
    state.counters["output_MB"] = double(QFileInfo(output).size()) / double(kMegabyte);
}
BENCHMARK(BM_ConvertCapture)->Arg(32)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A 59 MB capture of eight "I" units, the size a long recording reaches.
void BM_ConvertEightIUnits(benchmark::State& state) {
    const QString input = CaptureFile(Dir(), 59 * kMegabyte, Units::EightI);
    const QString output = Dir().filePath("converted-8I.csv");
    const qint64 bytes = QFileInfo(input).size();
    const cli::Console console = Silent();
    for (auto _ : state) {
        if (cli::ConvertFile(input, output, console) != 0) state.SkipWithError("convert failed");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * bytes);
    state.counters["output_MB"] = double(QFileInfo(output).size()) / double(kMegabyte);
}
BENCHMARK(BM_ConvertEightIUnits)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Peak memory after converting 16 MB, then after converting 64 MB: the growth is what a
// four times larger file costs.
void BM_ConvertMemory(benchmark::State& state) {
    const QString small = CaptureFile(Dir(), 16 * kMegabyte);
    const QString large = CaptureFile(Dir(), 64 * kMegabyte);
    const QString output = Dir().filePath("memory.csv");
    const cli::Console console = Silent();
    long afterSmall = 0, afterLarge = 0;
    for (auto _ : state) {
        (void)cli::ConvertFile(small, output, console);
        afterSmall = PeakResidentKiB();
        (void)cli::ConvertFile(large, output, console);
        afterLarge = PeakResidentKiB();
    }
    state.counters["peak_KiB_16MB"] = double(afterSmall);
    state.counters["peak_KiB_64MB"] = double(afterLarge);
    state.counters["growth_KiB"] = double(afterLarge - afterSmall);
}
BENCHMARK(BM_ConvertMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
