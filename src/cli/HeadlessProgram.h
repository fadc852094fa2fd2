#pragma once

// The program without its window, for the length of one command: every subsystem back to its
// start values and wired exactly as the window wires it (app::WireSubsystems). Controls that
// no widget carries keep their values, so the behaviour code runs unchanged; pop-ups and
// status-bar lines go to standard error. A command then sets the few hooks it watches.

#include "cli/Console.h"

#include <memory>

namespace undarix::cli {

class HeadlessProgram {
public:
    explicit HeadlessProgram(const Console& console);
    ~HeadlessProgram();
    HeadlessProgram(const HeadlessProgram&) = delete;
    HeadlessProgram& operator=(const HeadlessProgram&) = delete;

    // Status-bar lines to standard error, or not (while a step reports its failure itself).
    void EchoStatus(bool on) { *echo_ = on; }

private:
    std::shared_ptr<bool> echo_ = std::make_shared<bool>(true);
};

} // namespace undarix::cli
