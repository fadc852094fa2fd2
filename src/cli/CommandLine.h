#pragma once

// What every command of the companion shares: its exit statuses, the one-line messages for bad
// input and usage errors, and the parsing of its options.

#include "cli/Console.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

namespace undarix::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitBadInput = 1;
inline constexpr int kExitUsage = 2;

// "undarix-cli: FILE: problem" on standard error; returns kExitBadInput.
int BadInput(const Console& console, const QString& file, const QString& problem);

// "undarix-cli COMMAND: message" and the hint to the command's help; returns kExitUsage.
int UsageError(const Console& console, const QString& command, const QString& message);

// Parses `arguments` (the command's own, without the program and command names) with the
// options already added to `parser`, plus -h/--help. Returns nothing when the command should
// run; otherwise the exit status after the help (0) or a usage error (2) has been shown.
[[nodiscard]] std::optional<int> ParseCommandLine(QCommandLineParser& parser,
                                                  const QStringList& arguments,
                                                  const QString& command, const char* help,
                                                  const Console& console);

// A decimal number for an option, or nothing with the usage error already shown.
[[nodiscard]] std::optional<double> RealOption(const QCommandLineParser& parser,
                                               const QString& option, const QString& command,
                                               const Console& console, int& status);

} // namespace undarix::cli
