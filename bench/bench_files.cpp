// Data files: how fast the line writer formats "I" lines, and how fast playback reads a data
// file through the line reader into the device table of the loaded (hidden) main panel.

#include "app/Application.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "files/Playback.h"
#include "files/codec/DataLine.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace undarix;

std::string Header(char kind, int device, int rate) {
    char header[40];
    std::snprintf(header, sizeof header, "%c%03d,S%02d,B0,2026-12-07T12:%02d:%02d", kind, device,
                  rate, device, device * 7 % 60);
    return header;
}

void BM_WriteILines(benchmark::State& state) {
    const std::string text = Header('I', 4, 16) + "\x01" + std::string(128, '\x33');
    float values[64];
    for (int k = 0; k < 64; ++k)
        values[k] = float(k * 7919 % 130000 - 60000) / 10000.0f;
    char line[files::codec::kMaxDataLine];
    std::size_t bytes = 0;
    for (auto _ : state) {
        values[state.iterations() % 64] += 0.0001f; // a wave that moves
        bytes += files::codec::BuildDataLine('I', text.data(), text.size(), values, line);
        benchmark::DoNotOptimize(line);
    }
    state.SetBytesProcessed(std::int64_t(bytes));
}
BENCHMARK(BM_WriteILines);

// Eight units, block and single-value lines, as a day of logging writes them.
QByteArray DataFileContent(std::size_t size) {
    QByteArray content = "Date,Time,Units\r\n";
    float values[64];
    char line[files::codec::kMaxDataLine];
    for (int n = 0; std::size_t(content.size()) < size; ++n) {
        const int device = n % 8 + 1;
        for (int k = 0; k < 64; ++k)
            values[k] = float((n * 64 + k) * 131 % 60000) / 10000.0f;
        const char kinds[] = {'A', 'I', 'F', 'C'};
        const char kind = kinds[n / 8 % 4];
        std::string text = kind == 'C' ? "C00" + std::to_string(device) + ",D1,S08,01234"
                                       : Header(kind, device, kind == 'I' ? 16 : 32);
        const std::size_t length =
            files::codec::BuildDataLine(kind, text.data(), text.size(), values, line);
        content.append(line, qsizetype(length));
    }
    return content;
}

void BM_PlaybackDataFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("day.csv");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the data file");
            return;
        }
        file.write(DataFileContent(8u << 20));
    }
    auto panel = app::LoadMainPanel({});
    core::Program.DataSource = core::kSourceFile;
    files::OpenFile2PlotPath(path);
    core::Program.PlottingRunning = 1;

    std::int64_t bytes = 0;
    for (auto _ : state) {
        const long long before = core::Program.FileLocation;
        files::ReadFileTimer(); // one block of 1,024 bytes
        bytes += core::Program.FileLocation - before;
        if (!core::Program.PlottingRunning) { // the end: from the start again
            state.PauseTiming();
            ui::SetInt(core::mainpanel::PlaybackPosition, 0);
            ui::Dispatch(core::mainpanel::PlaybackPosition, ui::Event::Commit);
            core::Program.PlottingRunning = 1;
            state.ResumeTiming();
        }
    }
    state.SetBytesProcessed(bytes);
    files::ClosePlaybackFileNow();
    panel.reset();
    app::ResetAll();
}
BENCHMARK(BM_PlaybackDataFile)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
