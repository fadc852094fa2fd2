#pragma once

// The simulator: the devices of one simulation behind a pseudo-terminal, run on a thread of
// their own. Typical use in an end-to-end test (app::OpenSimulatedPort lists, selects and
// opens the port in the program):
//
//   sim::SimOptions options;
//   options.units = 3;
//   sim::Simulator simulator(options);
//   ASSERT_TRUE(simulator.Start()) << simulator.Error();
//   app::OpenSimulatedPort(simulator, "Simulated units");
//   simulator.CorruptNext(1); // or SetFaults(faults) for fractions, silence, muted commands
//   WaitUntil([&] { return ...the program shows it...; });
//   auto rate = simulator.Inspect(
//       [](sim::SimState& s) { return s.radio.units[0].config.sampleRate; });
//   simulator.Stop(); // or let the destructor do it
//
// Inspect runs a function on the simulation's state under its lock: it may read or change
// anything (a unit's configuration store, the frames sent, the board's staffs) and returns
// what the function returns. WaitUntil waits on the simulator's own state (without running
// the program's event loop).

#include "sim/Board.h"
#include "sim/PtyLink.h"
#include "sim/RadioNetwork.h"
#include "sim/SimContext.h"
#include "sim/SimOptions.h"
#include "sim/WiredUnit.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace undarix::sim {

struct SimStats {
    long long bytesReceived = 0;
    long long chunksSent = 0; // frames, lines or replies written to the pseudo-terminal
    long long bytesSent = 0;
    long long dropped = 0; // by the faults (silence included)
    long long corrupted = 0;
    long long delayed = 0;
    long long discarded = 0; // unread by the program for too long, or over the output limit
};

// Everything one simulation holds. Only the device of the chosen kind is used.
struct SimState {
    SimOptions options;
    SimContext context;
    RadioNetwork radio; // kinds 0 to 2
    WiredUnit wired;    // kinds 3 to 6
    Board board;        // kind 7
    SimStats stats;

    [[nodiscard]] bool IsRadio() const { return options.kind <= 2; }
    [[nodiscard]] bool IsWired() const { return options.kind >= 3 && options.kind <= 6; }
    [[nodiscard]] bool IsBoard() const { return options.kind == 7; }

    void Receive(const std::uint8_t* bytes, std::size_t count, double now);
    void Advance(double now);
    [[nodiscard]] double NextEvent() const;
};

// Builds the devices the options describe (also used by tests that drive a state directly).
void BuildState(SimState& state, const SimOptions& options);

class Simulator {
public:
    explicit Simulator(const SimOptions& options = SimOptions());
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Opens the pseudo-terminal and starts the thread. False with Error() set on failure.
    bool Start();
    void Stop();
    [[nodiscard]] bool IsRunning() const { return running_; }
    // The path the program opens as its serial port.
    [[nodiscard]] const std::string& SlavePath() const { return pty_.SlavePath(); }
    [[nodiscard]] const std::string& Error() const { return error_; }
    // The unit kind simulated (0..7); fixed for the simulator's life.
    [[nodiscard]] int Kind() const { return state_.options.kind; }

    void SetFaults(const Faults& faults);
    // Exactly the next `count` frames or lines sent are damaged, or left out.
    void CorruptNext(int count);
    void DropNext(int count);
    [[nodiscard]] Faults GetFaults() const;
    [[nodiscard]] SimStats Stats() const;

    // Told of every frame or line queued for the program, after the faults (a dropped one is
    // never told; `damaged` says whether it goes out corrupted). Runs on the simulator's
    // thread under its lock. Soak runs count what was sent with it.
    using SendObserver = std::function<void(const std::string& bytes, bool frame, bool damaged)>;
    void SetSendObserver(SendObserver observer);
    // Simulation time: seconds since the simulator was made.
    [[nodiscard]] double Now() const;

    template <class Fn> auto Inspect(Fn&& fn) -> std::invoke_result_t<Fn, SimState&> {
        std::unique_lock lock(mutex_);
        struct WakeOnExit {
            Simulator* self;
            ~WakeOnExit() { self->Wake(); }
        } wake{this};
        return std::forward<Fn>(fn)(state_);
    }

    // Waits until the condition holds on the state (checked after each step of the
    // simulation), or the time is up. Returns whether it holds.
    bool WaitUntil(const std::function<bool(const SimState&)>& condition, int timeoutMs = 3000);

private:
    void Run();
    void Step();
    void Emit(std::string bytes, bool frame);
    void Corrupt(std::string& bytes, bool frame);
    void FlushOutput();
    void Wake();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    SimState state_;
    PtyLink pty_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    int wakePipe_[2] = {-1, -1};
    std::string error_;
    double epoch_ = 0.0; // steady-clock seconds at construction

    struct Delayed {
        double due;
        std::string bytes;
    };
    std::deque<std::string> output_;
    std::size_t outputBytes_ = 0;
    std::vector<Delayed> delayed_;
    SendObserver observer_;
};

} // namespace undarix::sim
