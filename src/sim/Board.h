#pragma once

// The Vazavevezeze board with its six or eight wired staffs: wake-up and status report,
// clock line, data lines of one four-digit count per staff, and the setting commands for
// the sample rate ("f"), run mode ("m"), time tag ("t") and clock ("s" + clock text).

#include "sim/SimContext.h"
#include "sim/WaveSignal.h"
#include "sim/WiredUnit.h"

#include <deque>
#include <string>
#include <vector>

namespace undarix::sim {

struct BoardStaff {
    WaveSignal wave;
    double lengthMm = 4000.0;
};

class Board {
public:
    std::vector<BoardStaff> staffs;            // 6 or 8
    std::string serial = "VZ3124120000000001"; // 18 characters
    std::string version = "3.05a";             // 5 characters
    int sampleRate = 8;                        // Hz
    int runMode = 0;                           // 0 free run, 1 command (sync) mode
    int timeTag = 0;                           // 0 none, 1 minute, 2 hour, 3 day
    double clockOffset = 0.0;                  // board clock minus the PC's, seconds
    bool streaming = true;

    long long linesSent = 0;
    long long reportsSent = 0;
    int clockSets = 0;
    std::string commands; // every command letter taken, in order (the latest 256)
    std::deque<SentLine> history;
    static constexpr std::size_t kHistory = 64;

    void Receive(const std::uint8_t* bytes, std::size_t count, double now,
                 const SimContext& context);
    void Advance(double now, const SimContext& context);
    [[nodiscard]] double NextEvent() const;

    // The report lines (without their CR LF), in the order sent.
    [[nodiscard]] std::vector<std::string> Report() const;
    [[nodiscard]] std::string ClockLine(double now, const SimContext& context) const;

private:
    enum class Pending { None, AfterS, Clock, Rate, Mode, Tag };
    void Command(char byte, double now, const SimContext& context);
    void Finish(double now, const SimContext& context);
    void Send(std::string line, std::vector<double> levels, const SimContext& context);
    void RestartLines(double now);

    Pending pending_ = Pending::None;
    std::string text_;
    double pendingSince_ = 0.0;
    double linesStart_ = 0.0;
    long long lineIndex_ = 0;
    double nextLine_ = 0.0;
    double nextKeepAlive_ = 0.0;
    long long lastTag_ = -1;
};

} // namespace undarix::sim
