#include "cli/ConfigCommand.h"

#include "cli/CommandLine.h"
#include "cli/HeadlessProgram.h"
#include "cli/RadioConfigSession.h"
#include "cli/RadioSettingWrite.h"
#include "cli/UnitPort.h"
#include "cli/WiredConfigSession.h"
#include "cli/WiredSettingWrite.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/PortSelection.h"
#include "link/PortWatch.h"
#include "live/DeviceTable.h"

#include <QCommandLineParser>

#include <vector>

namespace undarix::cli {
namespace {

const char* const kConfigHelpStart =
    R"(Usage: undarix-cli config read  --port PATH --kind KIND (--device N | --address HEX16)
                              [--json] [--timeout SECONDS]
       undarix-cli config write --port PATH --kind KIND (--device N | --address HEX16)
                              [--timeout SECONDS] NAME=VALUE...
       undarix-cli config list  --port PATH --kind KIND [--seconds S]

Reads and changes a unit's configuration through the configuration session the window runs:
the same commands, waits, resends and echo checks ("WZ,2", then the read sequence).

  read    prints every setting the unit reported, one NAME=VALUE a line, or with --json one
          JSON object (numbers as numbers, times as ISO 8601 text)
  write   reads the unit, then sends each setting as the window sends it, one at a time,
          each confirmed by the unit's echo; prints each confirmed NAME=VALUE
  list    the units heard on the port within --seconds (default 5)

Options:
  --port PATH        the serial device
  --kind KIND        )";

const char* const kConfigHelpEnd = R"(
  --device N         the radio unit with this device number (it must be heard first);
                     wired units and the Vazavevezeze take neither --device nor --address
  --address HEX16    the radio unit with this 64-bit network address
  --timeout SECONDS  how long to wait for the unit at each step (default 30)

Numbers take a decimal point in every locale. A value a setting cannot take is refused
before anything is sent, with the range it can take.

Radio units take:
)";

const char* const kConfigHelpWired = R"(
Wired units (kinds 3 to 6) and the Vazavevezeze are read through the wired hand-shake with
the unit stopped (Configure), and written as the window writes them (the whole block after
"w", or the board's own command); the unit's configuration read back confirms each write.
They take:
)";

const char* const kConfigHelpTail = R"(
SIGINT (Ctrl-C) or SIGTERM stops the command: the port is closed as the program closes it,
so a wired unit or the Vazavevezeze is set running again.

Exit status: 0 when every setting was read or confirmed, 1 when the port cannot be opened,
the unit did not answer within the timeout, a write was not confirmed (naming the first) or
list heard no unit, 2 usage error.
)";

enum class Action { Read, Write, List };

struct ConfigRequest {
    Action action = Action::Read;
    QString port;
    int kind = 0;
    RadioTarget target;
    bool json = false;
    int timeoutMs = 30000;
    int listMs = 5000;
    std::vector<RadioSettingWrite> writes;
    std::vector<WiredSettingWrite> wiredWrites;
};

QString AddressText(std::uint64_t address) {
    return QString("%1").arg(address, 16, 16, QChar('0')).toUpper();
}

void PrintSettings(const core::codec::SettingList& settings, bool json, const Console& console) {
    if (json)
        console.Out(core::codec::SettingsJson(settings) + "\n");
    else
        console.Out(core::codec::SettingsText(settings));
}

int RunList(HeadlessProgram&, const ConfigRequest& request, const Console& console) {
    (void)RunUntil([] { return false; }, request.listMs);
    int heard = 0;
    for (const live::OutputLineRecord& record : live::OutputLine) {
        if (record.address == 0) continue;
        ++heard;
        console.OutLine(QString("device %1 address %2 kind %3")
                            .arg(record.deviceNumber)
                            .arg(AddressText(record.address), core::UnitKindKey(request.kind)));
    }
    // A script that goes on to configure the units must learn that none was there.
    if (heard == 0) {
        console.ErrLine(QString("undarix-cli config: no unit was heard on %1 within %2 s")
                            .arg(request.port)
                            .arg(request.listMs / 1000.0));
        return kExitBadInput;
    }
    return kExitOk;
}

// The reason, and that the port went away if it did; nothing after a stop request, which
// is told once the port is closed.
int Failed(const Console& console, const QString& port, const QString& problem) {
    if (StopRequests::Requested()) return kExitBadInput;
    return BadInput(console, port,
                    link::UnitPortAway() ? problem + " (the port went away)" : problem);
}

int RunRadio(const ConfigRequest& request, const Console& console) {
    RadioConfigSession session(request.port, request.timeoutMs);
    core::codec::SettingList settings;
    if (const QString problem = session.Read(request.target, settings); !problem.isEmpty())
        return Failed(console, request.port, problem);
    if (request.action == Action::Read) {
        PrintSettings(settings, request.json, console);
        return kExitOk;
    }
    for (const RadioSettingWrite& write : request.writes) {
        QString confirmed;
        if (const QString problem = session.Write(write, confirmed); !problem.isEmpty())
            return Failed(console, request.port,
                          QString("%1 was not confirmed: %2").arg(write.name, problem));
        console.OutLine(write.name + "=" + confirmed);
    }
    // A calibration change is read back before the port closes.
    session.AwaitIdle();
    return kExitOk;
}

int RunWired(const ConfigRequest& request, const Console& console) {
    WiredConfigSession session(request.timeoutMs);
    core::codec::SettingList settings;
    if (const QString problem = session.Read(settings); !problem.isEmpty())
        return Failed(console, request.port, problem);
    if (request.action == Action::Read) {
        PrintSettings(settings, request.json, console);
        return kExitOk;
    }
    for (const WiredSettingWrite& write : request.wiredWrites) {
        QString confirmed;
        if (const QString problem = session.Write(write, confirmed); !problem.isEmpty())
            return Failed(console, request.port,
                          QString("%1 was not confirmed: %2").arg(write.name, problem));
        console.OutLine(write.name + "=" + confirmed);
    }
    return kExitOk;
}

int RunConfig(const ConfigRequest& request, const Console& console) {
    const StopRequests stopRequests;
    HeadlessProgram program(console);
    program.EchoStatus(false);
    if (const int status = OpenUnitPort(program, request.port, request.kind, console)) return status;
    int status = kExitOk;
    if (request.action == Action::List)
        status = RunList(program, request, console);
    else if (core::IsRadioKind(request.kind))
        status = RunRadio(request, console);
    else
        status = RunWired(request, console);
    link::CloseUnitPort();
    if (StopRequests::Requested() && request.action != Action::List) {
        console.ErrLine("undarix-cli config: stopped by a signal; the port is closed");
        return kExitBadInput;
    }
    return status;
}

} // namespace

int Config(const QStringList& arguments, const Console& console) {
    const QString command = "config";
    QCommandLineParser parser;
    parser.addOptions({{"port", "serial device", "PATH"},
                       {"kind", "unit kind", "KIND"},
                       {"device", "device number", "N"},
                       {"address", "network address", "HEX16"},
                       {"json", "print JSON"},
                       {"timeout", "seconds to wait", "SECONDS"},
                       {"seconds", "seconds to listen", "S"}});
    static const std::string help = std::string(kConfigHelpStart) + kKindOptionHelp +
                                    kConfigHelpEnd + kRadioWriteNamesHelp + kConfigHelpWired +
                                    kWiredWriteNamesHelp + kConfigHelpTail;
    if (auto status = ParseCommandLine(parser, arguments, command, help.c_str(), console))
        return *status;
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return UsageError(console, command, "read, write or list is required");
    ConfigRequest request;
    const QString action = positional.takeFirst();
    if (action == "read")
        request.action = Action::Read;
    else if (action == "write")
        request.action = Action::Write;
    else if (action == "list")
        request.action = Action::List;
    else
        return UsageError(console, command, QString("unknown action '%1'").arg(action));

    if (!parser.isSet("port")) return UsageError(console, command, "--port PATH is required");
    request.port = parser.value("port");
    if (!parser.isSet("kind")) return UsageError(console, command, "--kind KIND is required");
    const std::optional<int> kind = KindOf(parser.value("kind"));
    if (!kind)
        return UsageError(console, command, QString("unknown kind '%1'").arg(parser.value("kind")));
    request.kind = *kind;
    request.json = parser.isSet("json");
    if (parser.isSet("timeout")) {
        bool ok = false;
        const double seconds = parser.value("timeout").toDouble(&ok);
        if (!ok || !(seconds > 0.0) || seconds > 3600.0)
            return UsageError(console, command,
                              QString("--timeout wants seconds above 0, not '%1'")
                                  .arg(parser.value("timeout")));
        request.timeoutMs = int(seconds * 1000.0);
    }
    if (parser.isSet("seconds")) {
        bool ok = false;
        const double seconds = parser.value("seconds").toDouble(&ok);
        if (!ok || !(seconds > 0.0) || seconds > 3600.0)
            return UsageError(console, command,
                              QString("--seconds wants seconds above 0, not '%1'")
                                  .arg(parser.value("seconds")));
        request.listMs = int(seconds * 1000.0);
    }
    const bool radio = core::IsRadioKind(request.kind);
    if (!radio && (parser.isSet("device") || parser.isSet("address")))
        return UsageError(console, command,
                          "a wired unit or the Vazavevezeze is the port's only unit: no --device "
                          "or --address");
    if (request.action != Action::List && radio) {
        if (parser.isSet("device") == parser.isSet("address"))
            return UsageError(console, command, "one of --device N and --address HEX16 is required");
        bool ok = false;
        if (parser.isSet("device")) {
            request.target.device = parser.value("device").toInt(&ok);
            if (!ok || request.target.device < 1 || request.target.device > 255)
                return UsageError(console, command,
                                  QString("--device wants 1 to 255, not '%1'")
                                      .arg(parser.value("device")));
        } else {
            const QString hex = parser.value("address");
            request.target.address = hex.toULongLong(&ok, 16);
            if (!ok || hex.size() > 16 || request.target.address == 0)
                return UsageError(console, command,
                                  QString("--address wants up to 16 hexadecimal digits, not "
                                          "'%1'")
                                      .arg(hex));
        }
    }
    if (request.action == Action::Write) {
        if (positional.isEmpty())
            return UsageError(console, command, "write wants at least one NAME=VALUE");
        for (const QString& text : positional) {
            QString problem;
            if (radio) {
                const std::optional<RadioSettingWrite> write =
                    ParseRadioSetting(text, request.kind, problem);
                if (!write) return UsageError(console, command, problem);
                request.writes.push_back(*write);
            } else {
                const std::optional<WiredSettingWrite> write =
                    ParseWiredSetting(text, request.kind, problem);
                if (!write) return UsageError(console, command, problem);
                request.wiredWrites.push_back(*write);
            }
        }
    } else if (!positional.isEmpty()) {
        return UsageError(console, command,
                          QString("unexpected argument '%1'").arg(positional.front()));
    }
    return RunConfig(request, console);
}

} // namespace undarix::cli
