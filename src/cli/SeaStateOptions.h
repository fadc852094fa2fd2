#pragma once

// The sea-state settings a command of the companion takes: the interval, the tide filter and
// the quality-control limits. `seastate` names the interval --interval; `log`, whose
// --interval is the data file's, names it --seastate-interval.

#include "analysis/codec/SeaStateAnalysis.h"
#include "cli/Console.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

#include <optional>

namespace undarix::cli {

// The options' help lines, for a command's help text.
extern const char* const kSeaStateOptionsHelp;

[[nodiscard]] QList<QCommandLineOption> SeaStateOptions(const QString& intervalOption);

// Reads the options into `settings`. Returns the exit status of a usage error (already shown)
// when one is wrong, nothing when all are good.
[[nodiscard]] std::optional<int> ReadSeaStateOptions(const QCommandLineParser& parser,
                                                     const QString& command,
                                                     const QString& intervalOption,
                                                     const Console& console,
                                                     analysis::codec::SeaStateSettings& settings);

} // namespace undarix::cli
