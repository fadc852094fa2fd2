#pragma once

// What every simulated device shares: the calendar, the faults in force, the random source
// (seeded, so runs repeat) and the way out to the pseudo-terminal.

#include "sim/SimOptions.h"

#include <functional>
#include <random>
#include <string>
#include <string_view>

namespace undarix::sim {

struct SimContext {
    // Calendar seconds (see Calendar.h) of the PC at simulation time 0.
    double calendarBase = 0.0;
    Faults faults;
    std::mt19937_64 random{1};
    // Sends bytes to the program; `frame` tells an API frame from a text line or reply.
    std::function<void(std::string bytes, bool frame)> send;

    [[nodiscard]] double CalendarAt(double now) const { return calendarBase + now; }
    [[nodiscard]] bool IsMuted(std::string_view command) const {
        for (const std::string& muted : faults.mutedCommands)
            if (!muted.empty() && command.substr(0, muted.size()) == muted) return true;
        return false;
    }
    void Send(std::string bytes, bool frame) const {
        if (send) send(std::move(bytes), frame);
    }
};

} // namespace undarix::sim
