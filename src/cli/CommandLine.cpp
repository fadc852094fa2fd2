#include "cli/CommandLine.h"

#include <cmath>

namespace undarix::cli {

int BadInput(const Console& console, const QString& file, const QString& problem) {
    console.ErrLine(QString("undarix-cli: %1: %2").arg(file, problem));
    return kExitBadInput;
}

int UsageError(const Console& console, const QString& command, const QString& message) {
    console.ErrLine(QString("undarix-cli %1: %2").arg(command, message));
    console.ErrLine(QString("Try 'undarix-cli %1 --help'.").arg(command));
    return kExitUsage;
}

std::optional<int> ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                                    const QString& command, const char* help,
                                    const Console& console) {
    const QCommandLineOption helpOption({"h", "help"}, "Show this help.");
    parser.addOption(helpOption);
    if (!parser.parse(QStringList{"undarix-cli"} + arguments)) {
        // Help asked for among other mistakes still gets the help.
        if (arguments.contains("--help") || arguments.contains("-h")) {
            console.Out(help);
            return kExitOk;
        }
        return UsageError(console, command, parser.errorText());
    }
    if (parser.isSet(helpOption)) {
        console.Out(help);
        return kExitOk;
    }
    return std::nullopt;
}

std::optional<double> RealOption(const QCommandLineParser& parser, const QString& option,
                                 const QString& command, const Console& console, int& status) {
    bool ok = false;
    const QString text = parser.value(option);
    const double value = text.toDouble(&ok);
    if (ok && std::isfinite(value)) return value;
    status =
        UsageError(console, command, QString("--%1 wants a number, not '%2'").arg(option, text));
    return std::nullopt;
}

} // namespace undarix::cli
