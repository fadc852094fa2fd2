#pragma once

// What the companion's commands that talk to units share: the unit kind named on the command
// line, and the unit port opened as the window's port selector opens it.

#include "cli/Console.h"
#include "cli/HeadlessProgram.h"

#include <QString>

#include <functional>
#include <optional>

namespace undarix::cli {

// The kind a --kind value names, by name ("ravo-zerar-xb") or number (0 to 7).
[[nodiscard]] std::optional<int> KindOf(const QString& text);

// The kinds as --help lists them.
extern const char* const kKindOptionHelp;

// Selects the kind and opens `port` as the port selector does. kExitOk, or the message and
// kExitBadInput when it cannot be opened.
int OpenUnitPort(HeadlessProgram& program, const QString& port, int kind, const Console& console);

// Runs the program's event loop until `done` holds, `timeoutMs` passed or a stop was asked
// for; returns `done()`.
bool RunUntil(const std::function<bool()>& done, int timeoutMs);

// While one lives, SIGINT and SIGTERM end the waits of RunUntil instead of the process, so
// that the command closes the port as the program does (a wired unit is set running again).
class StopRequests {
public:
    StopRequests();
    ~StopRequests();
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;
    [[nodiscard]] static bool Requested();
};

} // namespace undarix::cli
