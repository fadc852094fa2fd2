#pragma once

// The command-line companion: convert, analyze, log and frame, on the program's own receive
// path, decoders, data-file writer and analysis, without a window.

#include "cli/Console.h"

#include <QStringList>

namespace undarix::cli {

extern const char* const kCliHelp;

// Runs the command named by the first argument (the program's name left out). Returns the
// exit status: 0 success, 1 bad input, 2 usage error.
int RunCli(const QStringList& arguments, const Console& console);

} // namespace undarix::cli
