#include "sim/CommandLine.h"

#include "sim/TextUtil.h"

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>

namespace undarix::sim {
namespace {

bool ReadInt(const std::string& text, long low, long high, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && end != text.c_str() && *end == '\0' && value >= low && value <= high;
}

bool ReadReal(const std::string& text, double low, double high, double& value) {
    char* end = nullptr;
    errno = 0;
    value = StrToDouble(text.c_str(), &end);
    return errno == 0 && end != text.c_str() && *end == '\0' && value >= low && value <= high;
}

// "HM0,TP,SECONDS": the storm's end values and how long it takes to reach them.
bool ReadStorm(const std::string& text, WaveOptions& wave) {
    double values[3];
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = text.find(',', start);
        if ((i < 2) != (comma != std::string::npos)) return false;
        const std::string part =
            text.substr(start, comma == std::string::npos ? comma : comma - start);
        const double low = i == 1 ? 0.5 : 0.0, high = i == 2 ? 1e7 : (i == 1 ? 60.0 : 30.0);
        if (!ReadReal(part, low, high, values[i])) return false;
        start = comma + 1;
    }
    if (!(values[2] > 0.0)) return false;
    wave.stormHm0 = values[0];
    wave.stormTp = values[1];
    wave.stormSeconds = values[2];
    return true;
}

bool ValidFormats(const std::string& text, std::string& letters) {
    letters.clear();
    for (char c : text) {
        if (c == ',') continue;
        if (FormatCode(c) == 0) return false;
        letters.push_back(c);
    }
    return !letters.empty();
}

} // namespace

std::string HelpText() {
    return R"(Usage: undarix-sim [OPTION]...
Simulates the instruments Undarix talks to behind a pseudo-terminal: a radio adapter in API
mode with its units, a wired Ravo Zerar or Deve Zuravi, or the Vazavevezeze board. Prints the
path of the serial device to open, then runs until interrupted (SIGINT or SIGTERM).
With no options: one radio unit of kind 0.

Units
  --kind K              0 Ravo Zerar XB, 1 Rezav Ivir Erazud XB, 2 Rezav Ivir Erazud RV,
                        3 and 4 wired Ravo Zerars, 5 and 6 wired Deve Zuravis,
                        7 the Vazavevezeze board (default 0)
  --units N             radio units, 1 to 64 (default 1); more than 8 fill the table
  --format F            radio data format: A (ASCII, 32 samples), F (float, 32),
                        I (integer, 64), i (integer, 60) or C (one sample per message);
                        a list such as A,I,C gives the units their formats in turn
                        (default A)
  --rate HZ             sample rate in Hz: radio units 1 to 32, wired units and the
                        board up to 99 (default 8)
  --firmware VERSION    radio firmware version text (default 2.10); below 2 the units
                        keep gain, offset and automatic calibration instead of a
                        12-point table
  --staffs N            staffs on the board, 6 or 8 (default 8)
  --asleep              radio units start powered down and wait for a broadcast
                        power-on ("BP,1")
  --air-temperature     wired units send the air-temperature field with each sample
  --power-down-delay S  seconds from a power-down command ("WP,0") to silence
                        (default 120)

Sea
  --hm0 METERS          significant wave height, 4 x standard deviation (default 1.0)
  --tp SECONDS          peak period (default 8)
  --gamma G             JONSWAP peak enhancement (default 3.3)
  --mean METERS         mean level above the bottom of the staff (default: mid-staff)
  --tide                add a slow tide (0.5 m, period 12.42 h)
  --storm HM0,TP,SECONDS
                        a storm: Hm0 and Tp go in a straight line from --hm0 and --tp
                        to HM0 and TP over SECONDS from the start, then stay
  --spike-every S       the first sample at or after each multiple of S seconds of the
                        unit's clock jumps by --spike-height
  --spike-height M      the height of those spikes in meters (default 3)
  --flat-every S        from each multiple of S seconds of the unit's clock the level
                        holds for --flat-for seconds (a stuck sensor)
  --flat-for S          how long it holds (default 5)
  --gap-every S         packets whose first sample falls within --gap-for seconds from
                        each multiple of S seconds of the unit's clock are never sent
  --gap-for S           how long each gap lasts (default 10)
  --seed N              seed of the random sea, addresses and faults; the same seed
                        repeats the same run (default 1)

Link
  --link PATH           also make a symbolic link to the serial device at PATH
                        (removed again at the end)

Faults
  --drop FRACTION       never send this fraction (0 to 1) of the frames or lines
  --corrupt FRACTION    damage one byte of this fraction of them (a radio frame then
                        fails its checksum)
  --delay FRACTION      hold this fraction back by --delay-ms
  --delay-ms MS         how long a delayed frame or line is held (default 500)
  --silent              send nothing at all
  --mute-command CMD    never answer this command: a unit command such as WS, an AT
                        command such as ID, or one letter for a wired unit or the board
                        (r, i, ...); repeatable
  --bad-stop            wired units answer the stop request with "BAD," instead of
                        "STOK,"
  --clamp-calibration   wired units hold gain and offset only within 3072..5120 and
                        -1024..1024, so a calibration beyond them is not taken

  --help                show this text
)";
}

ParseStatus ParseCommandLine(int argc, const char* const* argv, SimOptions& options,
                             std::string& message) {
    using Setter = std::function<bool(const std::string&)>;
    long n = 0;
    double x = 0.0;
    std::string letters;
    const std::map<std::string, Setter> withValue = {
        {"--kind",
         [&](const std::string& v) {
             return ReadInt(v, 0, 7, n) && ((options.kind = int(n)), true);
         }},
        {"--units",
         [&](const std::string& v) {
             return ReadInt(v, 1, 64, n) && ((options.units = int(n)), true);
         }},
        {"--format",
         [&](const std::string& v) {
             return ValidFormats(v, letters) && ((options.formats = letters), true);
         }},
        {"--rate",
         [&](const std::string& v) {
             return ReadInt(v, 1, 99, n) && ((options.rate = int(n)), true);
         }},
        {"--firmware",
         [&](const std::string& v) {
             return !v.empty() && v.size() < 20 && ((options.firmware = v), true);
         }},
        {"--staffs",
         [&](const std::string& v) {
             return ReadInt(v, 6, 8, n) && n != 7 && ((options.staffs = int(n)), true);
         }},
        {"--power-down-delay",
         [&](const std::string& v) {
             return ReadReal(v, 0, 86400, x) && ((options.powerDownDelay = x), true);
         }},
        {"--hm0",
         [&](const std::string& v) {
             return ReadReal(v, 0, 30, x) && ((options.wave.hm0 = x), true);
         }},
        {"--tp",
         [&](const std::string& v) {
             return ReadReal(v, 0.5, 60, x) && ((options.wave.tp = x), true);
         }},
        {"--gamma",
         [&](const std::string& v) {
             return ReadReal(v, 1, 20, x) && ((options.wave.gamma = x), true);
         }},
        {"--mean",
         [&](const std::string& v) {
             return ReadReal(v, 0, 30, x) && ((options.wave.meanLevel = x), true);
         }},
        {"--storm", [&](const std::string& v) { return ReadStorm(v, options.wave); }},
        {"--spike-every",
         [&](const std::string& v) {
             return ReadReal(v, 0.01, 1e6, x) && ((options.wave.spikeEvery = x), true);
         }},
        {"--spike-height",
         [&](const std::string& v) {
             return ReadReal(v, -30, 30, x) && ((options.wave.spikeHeight = x), true);
         }},
        {"--flat-every",
         [&](const std::string& v) {
             return ReadReal(v, 0.01, 1e6, x) && ((options.wave.flatEvery = x), true);
         }},
        {"--flat-for",
         [&](const std::string& v) {
             return ReadReal(v, 0, 1e6, x) && ((options.wave.flatFor = x), true);
         }},
        {"--gap-every",
         [&](const std::string& v) {
             return ReadReal(v, 0.01, 1e6, x) && ((options.wave.gapEvery = x), true);
         }},
        {"--gap-for",
         [&](const std::string& v) {
             return ReadReal(v, 0, 1e6, x) && ((options.wave.gapFor = x), true);
         }},
        {"--seed",
         [&](const std::string& v) {
             char* end = nullptr;
             errno = 0;
             const unsigned long long seed = std::strtoull(v.c_str(), &end, 10);
             return errno == 0 && end != v.c_str() && *end == '\0' && ((options.seed = seed), true);
         }},
        {"--link",
         [&](const std::string& v) { return !v.empty() && ((options.linkPath = v), true); }},
        {"--drop",
         [&](const std::string& v) {
             return ReadReal(v, 0, 1, x) && ((options.faults.dropFraction = x), true);
         }},
        {"--corrupt",
         [&](const std::string& v) {
             return ReadReal(v, 0, 1, x) && ((options.faults.corruptFraction = x), true);
         }},
        {"--delay",
         [&](const std::string& v) {
             return ReadReal(v, 0, 1, x) && ((options.faults.delayFraction = x), true);
         }},
        {"--delay-ms",
         [&](const std::string& v) {
             return ReadInt(v, 0, 600000, n) && ((options.faults.delayMs = int(n)), true);
         }},
        {"--mute-command",
         [&](const std::string& v) {
             return !v.empty() && v.size() <= 2 &&
                    (options.faults.mutedCommands.push_back(v), true);
         }},
    };
    const std::map<std::string, std::function<void()>> flags = {
        {"--tide", [&] { options.wave.tide = true; }},
        {"--asleep", [&] { options.asleep = true; }},
        {"--air-temperature", [&] { options.airTemperature = true; }},
        {"--silent", [&] { options.faults.silent = true; }},
        {"--bad-stop", [&] { options.faults.badStop = true; }},
        {"--clamp-calibration", [&] { options.faults.clampCalibration = true; }},
    };
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") return ParseStatus::Help;
        std::string value;
        bool hasValue = false;
        if (const std::size_t equals = argument.find('='); equals != std::string::npos) {
            value = argument.substr(equals + 1);
            argument.resize(equals);
            hasValue = true;
        }
        if (auto flag = flags.find(argument); flag != flags.end() && !hasValue) {
            flag->second();
            continue;
        }
        auto setter = withValue.find(argument);
        if (setter == withValue.end()) {
            message = "unknown option " + argument;
            return ParseStatus::Error;
        }
        if (!hasValue) {
            if (i + 1 >= argc) {
                message = argument + " needs a value";
                return ParseStatus::Error;
            }
            value = argv[++i];
        }
        if (!setter->second(value)) {
            message = "bad value for " + argument + ": " + value;
            return ParseStatus::Error;
        }
    }
    return ParseStatus::Run;
}

std::string Describe(const SimOptions& options) {
    if (options.kind <= 2)
        return Printf("%i radio unit%s of kind %i, format %s, %i Hz", options.units,
                      options.units == 1 ? "" : "s", options.kind, options.formats.c_str(),
                      options.rate);
    if (options.kind <= 6)
        return Printf("a wired unit of kind %i, %i Hz", options.kind, options.rate);
    return Printf("the Vazavevezeze board with %i staffs, %i Hz", options.staffs == 6 ? 6 : 8,
                  options.rate);
}

} // namespace undarix::sim
