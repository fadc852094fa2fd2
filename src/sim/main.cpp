// undarix-sim: the unit simulator on its own, for trying the program without instruments.

#include "sim/CommandLine.h"
#include "sim/Simulator.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>

int main(int argc, char** argv) {
    using namespace undarix::sim;
    SimOptions options;
    std::string message;
    switch (ParseCommandLine(argc, argv, options, message)) {
    case ParseStatus::Help: std::fputs(HelpText().c_str(), stdout); return 0;
    case ParseStatus::Error:
        std::fprintf(stderr, "undarix-sim: %s\nTry undarix-sim --help\n", message.c_str());
        return 2;
    case ParseStatus::Run: break;
    }

    // SIGINT and SIGTERM are taken by sigwait below, on this thread only. A shell may have
    // started us with SIGINT ignored (a background job); an ignored signal never arrives.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    Simulator simulator(options);
    if (!simulator.Start()) {
        std::fprintf(stderr, "undarix-sim: %s\n", simulator.Error().c_str());
        return 1;
    }
    std::printf("%s\n", simulator.SlavePath().c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "undarix-sim: %s on %s%s%s; Ctrl+C ends it\n", Describe(options).c_str(),
                 simulator.SlavePath().c_str(), options.linkPath.empty() ? "" : " and ",
                 options.linkPath.c_str());

    int received = 0;
    sigwait(&signals, &received);
    simulator.Stop();
    return 0;
}
