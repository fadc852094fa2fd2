#pragma once

// undarix-cli analyze INPUT --device N ...: the samples of one unit placed as the chart places
// a trace, analysed as the analysis page analyses it.

#include "cli/Console.h"

#include <QStringList>

namespace undarix::cli {

extern const char* const kAnalyzeHelp;

int Analyze(const QStringList& arguments, const Console& console);

} // namespace undarix::cli
