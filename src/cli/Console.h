#pragma once

// Where a command of the companion writes: its results to standard output, its messages
// (summaries, progress, status lines, errors) to standard error. Tests capture both.

#include <QString>

#include <functional>
#include <string_view>

namespace undarix::cli {

struct Console {
    std::function<void(std::string_view bytes)> out;
    std::function<void(std::string_view bytes)> err;

    void Out(std::string_view bytes) const;
    void Err(std::string_view bytes) const;
    // One line of standard output or standard error; the line feed is added.
    void OutLine(const QString& line) const;
    void ErrLine(const QString& line) const;
};

// The process's own standard output and standard error.
[[nodiscard]] Console StandardConsole();

} // namespace undarix::cli
