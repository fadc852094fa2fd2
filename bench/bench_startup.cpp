// Start-up: from the start of the process to the main window shown (offscreen). Each
// iteration starts this program anew as a child that goes through the program's start-up
// (QApplication, the main panel loaded and wired, Initialize, show) and reports through a
// pipe when the window paints for the first time; the child's own end is not timed.

#include "app/Application.h"

#include <QApplication>
#include <QEvent>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace undarix;

constexpr const char* kChildFlag = "--start-up-child";

class FirstPaint : public QObject {
public:
    explicit FirstPaint(int fd) : fd_(fd) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const char done = 1;
            (void)!write(fd_, &done, 1);
            _exit(0);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    int fd_;
};

int StartUpChild(int argc, char** argv, int fd) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Undarix");
    std::unique_ptr<app::MainWindow> panel = app::LoadMainPanel({});
    FirstPaint firstPaint(fd);
    panel->installEventFilter(&firstPaint);
    panel->show();
    return application.exec();
}

std::string& SelfPath() {
    static std::string path;
    return path;
}

void BM_StartUpToShownWindow(benchmark::State& state) {
    for (auto _ : state) {
        int fds[2];
        if (pipe(fds) != 0) {
            state.SkipWithError("pipe failed");
            break;
        }
        const std::string fd = std::to_string(fds[1]);
        char* args[] = {SelfPath().data(), const_cast<char*>(kChildFlag),
                        const_cast<char*>(fd.c_str()), nullptr};
        const auto start = std::chrono::steady_clock::now();
        pid_t child = 0;
        const int spawned =
            posix_spawn(&child, SelfPath().c_str(), nullptr, nullptr, args, environ);
        close(fds[1]);
        char done = 0;
        const bool shown = spawned == 0 && read(fds[0], &done, 1) == 1;
        const auto end = std::chrono::steady_clock::now();
        close(fds[0]);
        if (spawned == 0) waitpid(child, nullptr, 0);
        if (!shown) {
            state.SkipWithError("the child did not show its window");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_StartUpToShownWindow)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::strcmp(argv[1], kChildFlag) == 0)
        return StartUpChild(argc, argv, std::atoi(argv[2]));
    SelfPath() = "/proc/self/exe";
    char resolved[4096];
    const ssize_t n = readlink("/proc/self/exe", resolved, sizeof resolved - 1);
    if (n > 0) SelfPath().assign(resolved, std::size_t(n));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
