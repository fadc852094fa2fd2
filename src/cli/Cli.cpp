#include "cli/Cli.h"

#include "cli/AnalyzeCommand.h"
#include "cli/CommandLine.h"
#include "cli/ConfigCommand.h"
#include "cli/ConvertCommand.h"
#include "cli/FrameCommand.h"
#include "cli/LogCommand.h"
#include "cli/SeaStateCommand.h"

namespace undarix::cli {

const char* const kCliHelp =
    R"(Usage: undarix-cli COMMAND [OPTIONS]

The command-line companion of Undarix. It converts, analyses and logs with the program's
own receive path, decoders, data-file writer and analysis, without a window.

Commands:
  convert INPUT OUTPUT          a capture file (.api) or a data file (.csv) into a data file
  analyze INPUT --device N ...  mean level, Hm0, wave periods, waves and spectrum of a unit
  log --port PATH --kind KIND   log units without a window into data and capture files
  seastate INPUT...             wave statistics per interval with quality control
  frame tx|at|remote-at ...     print an API frame as the program sends it
  config read|write|list ...    read and change a unit's configuration

Run 'undarix-cli COMMAND --help' for a command's options.
Options: -h, --help (this help), --version.

Exit status: 0 success, 1 bad input (with a message naming the file and what is wrong),
2 usage error.
)";

int RunCli(const QStringList& arguments, const Console& console) {
    if (arguments.isEmpty()) {
        console.Err(kCliHelp);
        return kExitUsage;
    }
    const QString command = arguments.front();
    const QStringList rest = arguments.mid(1);
    if (command == "-h" || command == "--help" || command == "help") {
        console.Out(kCliHelp);
        return kExitOk;
    }
    if (command == "--version") {
        console.OutLine(QString("undarix-cli %1").arg(UNDARIX_VERSION));
        return kExitOk;
    }
    if (command == "convert") return Convert(rest, console);
    if (command == "analyze" || command == "analyse") return Analyze(rest, console);
    if (command == "log") return Log(rest, console);
    if (command == "seastate" || command == "sea-state") return SeaState(rest, console);
    if (command == "frame") return Frame(rest, console);
    if (command == "config") return Config(rest, console);
    console.ErrLine(QString("undarix-cli: unknown command '%1'").arg(command));
    console.ErrLine("Try 'undarix-cli --help'.");
    return kExitUsage;
}

} // namespace undarix::cli
