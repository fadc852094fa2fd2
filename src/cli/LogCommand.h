#pragma once

// undarix-cli log --port PATH --kind KIND ...: logging without a window, through the program's
// own serial path, dispatcher, data file with its rotation, and capture file.

#include "cli/Console.h"

#include <QStringList>

namespace undarix::cli {

// Runs until SIGINT or SIGTERM (or RequestLogStop), then closes the files and returns.
int Log(const QStringList& arguments, const Console& console);

// Asks a running log to close its files and return, as SIGTERM does.
void RequestLogStop();

} // namespace undarix::cli
