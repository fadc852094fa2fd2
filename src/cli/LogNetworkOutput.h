#pragma once

// The network output of `log`: the --mqtt options, and the queue next to the data files.

#include "cli/Console.h"
#include "files/NetworkOutput.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>

#include <optional>

namespace undarix::cli {

// The options' help, after the log's own.
extern const char* const kLogNetworkHelp;

[[nodiscard]] QList<QCommandLineOption> NetworkOutputOptions();

struct LogNetworkRequest {
    files::NetworkOutputSettings settings;
    QString queuePath;
};

// The request from the options, none without --mqtt; a usage error is told and its exit
// status returned in `status`.
[[nodiscard]] std::optional<LogNetworkRequest>
ParseNetworkOutput(const QCommandLineParser& parser, const QString& csv, const QString& capture,
                   const Console& console, std::optional<int>& status);

// Publishes for its lifetime, when asked to: tells where, and tells each change of state
// on standard error; at its end says "offline" and keeps what is not sent in the queue.
class LogNetworkOutput {
public:
    LogNetworkOutput(const std::optional<LogNetworkRequest>& request, const Console& console);
    ~LogNetworkOutput();
    LogNetworkOutput(const LogNetworkOutput&) = delete;
    LogNetworkOutput& operator=(const LogNetworkOutput&) = delete;
};
// ", network: <status>" for the status line; empty without network output.
[[nodiscard]] QString NetworkStatusPart();

} // namespace undarix::cli
