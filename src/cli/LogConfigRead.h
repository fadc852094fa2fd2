#pragma once

// The log's reading of each radio unit's configuration, once, when the unit is first heard:
// one unit at a time through the window's configuration session, so that the settings record
// beside the data file starts with the settings of every unit logged.

#include "cli/Console.h"

#include <QTimer>

#include <cstdint>
#include <map>
#include <memory>

namespace undarix::cli {

class LogConfigRead {
public:
    explicit LogConfigRead(const Console& console);
    ~LogConfigRead();
    LogConfigRead(const LogConfigRead&) = delete;
    LogConfigRead& operator=(const LogConfigRead&) = delete;

private:
    void Tick();
    void Finish(const QString& outcome);

    Console console_;
    QTimer timer_;
    int listener_ = 0;
    std::int64_t startedMs_ = 0;   // when this reader began
    std::uint64_t reading_ = 0;    // the unit being read, 0 none
    std::int64_t readingSinceMs_ = 0;
    bool sessionSeen_ = false;     // its session has begun reading
    bool readDone_ = false;
    std::map<std::uint64_t, bool> tried_; // units read, or given up on
};

} // namespace undarix::cli
