// config read/write/list: the companion through the window's configuration session, against
// the simulator and against a unit emulated here from the command tables alone.

#include "CliFixture.h"
#include "cli/LogCommand.h"
#include "core/UnitKind.h"
#include "sim/Simulator.h"
#include "support/Broker.h"
#include "support/CNumbers.h"
#include "support/Pty.h"
#include "ui/Delay.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTimer>

#include <atomic>
#include <functional>
#include <clocale>
#include <mutex>
#include <optional>
#include <regex>
#include <set>
#include <thread>

namespace undarix::testing {
namespace {

class ConfigTest : public CliTest {};

QJsonObject JsonOf(const std::string& out) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
}

// Every radio kind of the simulator: settings written one at a time, each confirmed, then
// read back, with the keys of the kind and no others.
TEST_F(ConfigTest, EveryRadioKindOfTheSimulatorIsWrittenAndReadBack) {
    using Config = sim::RadioUnitConfig;
    struct Case {
        int kind;
        const char* firmware;
        QStringList writes;
        std::function<bool(const Config&)> holds; // the unit holds what was written
        bool read;                                // read back with --json too
        std::vector<const char*> present, absent;
    };
    const Case cases[] = {
        {0, "2.10",
         {"sample_rate=16", "set1.staff_length=1.5", "start_time=2027-01-02T03:04",
          "calibration_point=0.25", "clock_calibration=-12"},
         [](const Config& u) {
             return u.sampleRate == 16 && u.sets[0].staffLength == 1.5 && u.rtcCalibration == -12 &&
                    u.sets[0].pointCount >= 1;
         },
         false, {}, {}},
        {0, "1.90",
         {"current_mode=2", "set2.gain=1.25", "set2.staff_type=2", "burst_length=5"},
         [](const Config& u) { return u.currentMode == 2 && u.sets[1].gain == 1.25; }, true,
         {"current_mode", "power", "battery_voltage"},
         {"trip_high_mv", "set1"}},
        {1, "2.10", {"trip_high_mv=1200", "dead_zone_mm=150", "set1.staff_length=2"},
         [](const Config& u) { return u.highTrip == 1200 && u.deadZone == 150; }, true,
         {"trip_low_mv", "power"}, {"current_mode", "set2"}},
        {2, "2.10", {"trip_low_mv=450", "filter=1"},
         [](const Config& u) { return u.lowTrip == 450 && u.filter == 1; }, false, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " firmware " << c.firmware);
        sim::SimOptions options;
        options.kind = c.kind;
        options.firmware = c.firmware;
        options.rate = 32; // a block a second: heard soon, for the choice by device number
        sim::Simulator simulator(options);
        ASSERT_TRUE(simulator.Start()) << simulator.Error();
        const std::uint64_t address =
            simulator.Inspect([](sim::SimState& s) { return s.radio.units[0].config.address; });
        const QStringList port = {"--port", QString::fromStdString(simulator.SlavePath()),
                                  "--kind", QString::number(c.kind), "--timeout", "10"};
        if (&c == &cases[0]) {
            const CliRun list = RunInProcess(QStringList{"config", "list", "--seconds", "3"} + port);
            ASSERT_EQ(list.status, 0) << list.err;
            const QString hex = QString("%1").arg(address, 16, 16, QChar('0')).toUpper();
            EXPECT_EQ(list.out, "device 1 address " + hex.toStdString() + " kind ravo-zerar-xb\n");
        }
        const CliRun write =
            RunInProcess(QStringList{"config", "write"} + port + QStringList{"--device", "1"} + c.writes);
        ASSERT_EQ(write.status, 0) << write.err;
        EXPECT_EQ(QString::fromStdString(write.out).trimmed().split('\n'), c.writes);
        EXPECT_TRUE(simulator.Inspect([&c](sim::SimState& s) { return c.holds(s.radio.units[0].config); }));
        if (!c.read) continue;

        const CliRun read = RunInProcess(QStringList{"config", "read", "--json"} + port +
                                         QStringList{"--address", QString::number(address, 16)});
        ASSERT_EQ(read.status, 0) << read.err;
        const QJsonObject json = JsonOf(read.out);
        ASSERT_FALSE(json.isEmpty()) << read.out;
        const Config config = simulator.Inspect([](sim::SimState& s) { return s.radio.units[0].config; });
        EXPECT_EQ(json["device_number"].toInt(), config.deviceNumber);
        EXPECT_EQ(json["address"].toString(),
                  QString("%1").arg(config.address, 16, 16, QChar('0')).toUpper());
        EXPECT_EQ(json["model"].toString().toStdString(), config.model);
        EXPECT_EQ(json["kind"].toString(), QString::fromLatin1(core::UnitKindKey(c.kind)));
        for (const char* key : c.present)
            EXPECT_TRUE(json.contains(key)) << key << " in " << read.out;
        for (const char* key : c.absent)
            EXPECT_FALSE(json.contains(key)) << key << " in " << read.out;
        // What was written is what the read reports.
        for (const QString& setting : c.writes) {
            const QString name = setting.section('=', 0, 0), value = setting.section('=', 1);
            const QJsonValue reported =
                name.contains('.') ? json[name.section('.', 0, 0)].toObject()[name.section('.', 1)]
                                   : json[name];
            EXPECT_EQ(reported.isString() ? reported.toString() : QString::number(reported.toDouble()),
                      value)
                << name.toStdString() << " in " << read.out;
        }
    }
}

// The wired kinds and the board: each write confirmed by the read-back of the configuration,
// as the window's page confirms it.
TEST_F(ConfigTest, TheWiredKindsAndTheBoardAreWrittenAndReadBack) {
    struct Case {
        int kind;
        QStringList writes;
    };
    const Case cases[] = {
        {3, {"alarm1_on_m=2.5"}}, {6, {"start_time=2027-01-02T03:04"}}, {7, {"time_tag=2"}}};
    // The wired protocols pause between command and data: the waits are really waited here.
    ui::SetDelayDriver({});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        sim::SimOptions options;
        options.kind = c.kind;
        sim::Simulator simulator(options);
        ASSERT_TRUE(simulator.Start()) << simulator.Error();
        const QStringList port = {"--port", QString::fromStdString(simulator.SlavePath()),
                                  "--kind", QString::number(c.kind), "--timeout", "10"};
        const CliRun write = RunInProcess(QStringList{"config", "write"} + port + c.writes);
        ASSERT_EQ(write.status, 0) << write.err;
        EXPECT_EQ(QString::fromStdString(write.out).trimmed().split('\n'), c.writes);
        if (c.kind == 7) {
            EXPECT_EQ(simulator.Inspect([](sim::SimState& s) { return s.board.timeTag; }), 2);
        } else {
            EXPECT_EQ(simulator.Inspect([](sim::SimState& s) { return s.wired.lastBlockWritten.size(); }),
                      132u);
        }

    }
}

// ---- A unit made from the command tables alone ----

// A radio adapter with one unit behind it, both written from the tables of the unit command
// set: it answers the adapter's PAN ID request (late, as a busy adapter does), answers the
// reads from its store, echoes the writes, and keeps every command that is not formatted
// exactly as the tables say.
class TableUnit {
public:
    static constexpr std::uint64_t kAddress = 0x0013A20012345678ULL;

    struct Behaviour {
        std::string silentAfter;          // stops answering after this command ("RS")
        std::map<char, std::string> lies; // general write key -> the value it echoes instead
        std::string twice;                 // answers this command twice, the second late
        std::string late;                  // answers this command only 0.8 s after it came
    };

    explicit TableUnit(Behaviour behaviour) : behaviour_(std::move(behaviour)) {
        store_ = {{"RX", "7"},    {"RH", "TALQ-310-401-XB"}, {"RK", "2.10"}, {"RD", "SN-0042"},
                  {"RS", "8"},    {"RL", "0"},  {"RI", "10"},  {"RF", "1"},  {"RO", "1"},
                  {"RR", "0"},    {"RQ", "2026-05-01T10:00"}, {"RT", "2026-12-07T12:00:00"},
                  {"RC", "3"},    {"RP", "1"},  {"RV", "3.10"}, {"RW", "1"}, {"GT", "1"},
                  {"GS", "2.500"}};
        thread_ = std::thread([this] { Run(); });
    }
    ~TableUnit() {
        stop_ = true;
        thread_.join();
    }

    [[nodiscard]] QString Path() const { return pty_.SlavePath(); }
    [[nodiscard]] std::vector<std::string> Commands() const {
        std::lock_guard lock(mutex_);
        return commands_;
    }
    [[nodiscard]] std::vector<std::string> Violations() const {
        std::lock_guard lock(mutex_);
        return violations_;
    }

private:
    // The command forms of the tables: reads, general writes, dates, calibration-set writes.
    static bool WellFormed(const std::string& text) {
        static const std::regex forms[] = {
            std::regex("WZ,2\r\n"),
            std::regex("R[XHKDSLIFORQTCPVWGUYZ]\r\n"),
            std::regex("[GT][TSAGOLH]\r\n"),
            std::regex("W[XSLIFORPCWGUY],(0|-?[1-9][0-9]*)\r\n"),
            std::regex("WQ,[0-9]{2}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}\r\n"),
            std::regex("WT,[0-9]{2}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\r\n"),
            std::regex("[FS]T,(0|[1-9][0-9]*)\r\n"),
            std::regex("[FS][SGOXY],-?[0-9]+\\.[0-9]{3}\r\n"),
            std::regex("[FS][PN],-?[0-9]+\\.[0-9]{4}\r\n"),
            std::regex("[FS][CF!],1\r\n"),
        };
        for (const std::regex& form : forms)
            if (std::regex_match(text, form)) return true;
        return false;
    }

    std::string Answer(const std::string& command) {
        const std::string letters = command.substr(0, 2);
        const std::string argument =
            command.size() > 5 ? command.substr(3, command.size() - 5) : std::string();
        if (command == "WZ,2\r\n") return "$WZ,2";
        if (letters[0] == 'R' || letters[0] == 'G' || letters[0] == 'T') {
            if (letters == "GA") {
                std::string table;
                for (int k = 0; k < 12; ++k)
                    table += std::string(k ? "," : "") +
                         CPrintf("%8.4f", std::size_t(k) < points_.size() ? points_[k] : 0.0);
                return "$GA," + table;
            }
            const auto at = store_.find(letters);
            return at == store_.end() ? std::string() : "$" + letters + "," + at->second;
        }
        if (letters[0] == 'W') {
            if (letters == "WQ") {
                store_["RQ"] = "20" + argument;
                return "$WQ,1";
            }
            if (letters == "WT") {
                store_["RT"] = "20" + argument;
                return "$WT,1";
            }
            store_[std::string("R") + letters[1]] = argument;
            const auto lie = behaviour_.lies.find(letters[1]);
            return "$" + letters + "," + (lie != behaviour_.lies.end() ? lie->second : argument);
        }
        // Calibration set 1 ("F"); set 2 is not this unit's (current mode 1).
        if (letters == "FP") points_.push_back(CStrtod(argument.c_str()));
        if (letters[1] == 'T' || letters[1] == 'S' || letters[1] == 'G' || letters[1] == 'O')
            store_[std::string("G") + letters[1]] = argument;
        return "$" + letters + "," + argument;
    }

    static std::string Unescaped(const std::string& wire, std::size_t& used) {
        std::string bytes;
        std::size_t k = 0;
        for (; k < wire.size(); ++k) {
            if (wire[k] == 0x7D) {
                if (k + 1 >= wire.size()) break;
                bytes += char(wire[++k] ^ 0x20);
            } else {
                bytes += wire[k];
            }
        }
        used = k;
        return bytes;
    }

    // Takes whole frames off the front of `wire_`; each one's data (from the API id).
    std::vector<std::string> Frames() {
        std::vector<std::string> frames;
        for (;;) {
            const std::size_t start = wire_.find('\x7E');
            if (start == std::string::npos) return frames;
            std::size_t used = 0;
            const std::string bytes = Unescaped(wire_.substr(start + 1), used);
            if (bytes.size() < 2) return frames;
            const std::size_t length = std::uint8_t(bytes[0]) << 8 | std::uint8_t(bytes[1]);
            if (bytes.size() < length + 3) return frames;
            std::string data = bytes.substr(2, length);
            unsigned sum = 0;
            for (const char c : bytes.substr(2, length + 1))
                sum += std::uint8_t(c);
            if ((sum & 0xFF) != 0xFF) Violation("a frame with a bad checksum");
            frames.push_back(data);
            // Skip the frame's bytes on the wire: escaped bytes count twice.
            std::size_t taken = 0, wireAt = start + 1;
            while (taken < length + 3 && wireAt < wire_.size()) {
                if (wire_[wireAt] == 0x7D) ++wireAt;
                ++wireAt;
                ++taken;
            }
            wire_.erase(0, wireAt);
        }
    }

    void Violation(const std::string& what) {
        std::lock_guard lock(mutex_);
        violations_.push_back(what);
    }

    void Serve(const std::string& data) {
        const std::uint8_t api = std::uint8_t(data[0]);
        if (api == 0x08 && data.substr(2, 2) == "ID") {
            // A busy adapter: the answer comes 0.3 s later, whatever else arrives meanwhile.
            Note("AT ID");
            atAnswerDue_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
            return;
        }
        if (api != 0x10 || data.size() < 15) {
            Violation("a frame of API id " + std::to_string(api));
            return;
        }
        std::uint64_t address = 0;
        for (int i = 0; i < 8; ++i)
            address = address << 8 | std::uint8_t(data[2 + i]);
        const std::string text = data.substr(14);
        Note(text);
        if (address != kAddress) return Violation("sent to another address: " + text);
        if (!WellFormed(text)) return Violation("not as the tables say: " + text);
        if (silent_) return;
        const std::string reply = Answer(text);
        if (!behaviour_.silentAfter.empty() && text.rfind(behaviour_.silentAfter, 0) == 0)
            silent_ = true;
        if (reply.empty()) return;
        const auto now = std::chrono::steady_clock::now();
        if (!behaviour_.late.empty() && text.rfind(behaviour_.late, 0) == 0) {
            lateAnswers_.push_back({now + std::chrono::milliseconds(800), reply});
            return;
        }
        pty_.Write(ReceivedFrame(kAddress, reply));
        if (text.rfind(behaviour_.twice, 0) == 0 && !behaviour_.twice.empty())
            lateAnswers_.push_back({now + std::chrono::milliseconds(text[0] == 'W' ? 400 : 150), reply});
    }

    void Note(const std::string& what) {
        std::lock_guard lock(mutex_);
        commands_.push_back(what);
    }

    void Run() {
        while (!stop_) {
            if (atAnswerDue_ && std::chrono::steady_clock::now() >= *atAnswerDue_) {
                atAnswerDue_.reset();
                pty_.Write(Escaped(std::string("\x88\x01ID\x00", 5) +
                                   std::string("\x00\x00\x00\x00\x00\x00\x33\x32", 8)));
                Note("AT ID answered");
            }
            for (auto answer = lateAnswers_.begin(); answer != lateAnswers_.end();) {
                if (std::chrono::steady_clock::now() < answer->first) {
                    ++answer;
                    continue;
                }
                pty_.Write(ReceivedFrame(kAddress, answer->second));
                answer = lateAnswers_.erase(answer);
            }
            wire_ += pty_.Read(20);
            for (const std::string& frame : Frames())
                Serve(frame);
        }
    }

    Behaviour behaviour_;
    Pty pty_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    bool silent_ = false;
    std::optional<std::chrono::steady_clock::time_point> atAnswerDue_;
    std::vector<std::pair<std::chrono::steady_clock::time_point, std::string>> lateAnswers_;
    std::string wire_;
    std::map<std::string, std::string> store_;
    std::vector<double> points_{0.5, 1.0};
    mutable std::mutex mutex_;
    std::vector<std::string> commands_;
    std::vector<std::string> violations_;
};

// The read sequence of a Ravo Zerar XB with a calibration table, in the order of the tables.
const std::vector<std::string> kReadSequence = {
    "WZ,2\r\n", "RX\r\n", "RH\r\n", "RK\r\n", "RD\r\n", "RS\r\n", "RL\r\n",
    "RI\r\n",   "RF\r\n", "RO\r\n", "RR\r\n", "RQ\r\n", "RT\r\n", "RC\r\n",
    "RP\r\n",   "RV\r\n", "RW\r\n", "GT\r\n", "GS\r\n", "GA\r\n"};

TEST_F(ConfigTest, AUnitEmulatedFromTheCommandTablesGetsEveryCommandAsTheTablesSay) {
    struct Case {
        const char* name;
        TableUnit::Behaviour behaviour;
        QStringList arguments;
        int status;
        std::string out, err;                // expected in stdout, stderr
        std::vector<std::string> sentAfter; // commands expected after the read sequence
        bool commaLocale = false;
    };
    const Case cases[] = {
        {"writes",
         {},
         {"write", "sample_rate=16", "set1.staff_length=1.5", "start_time=2027-01-02T03:04",
          "calibration_point=0.25", "clock=2027-03-04T05:06:07", "device_number=9"},
         0,
         "sample_rate=16\nset1.staff_length=1.5\nstart_time=2027-01-02T03:04\n"
         "calibration_point=0.25\nclock=2027-03-04T05:06:07\ndevice_number=9\n",
         "",
         {"WS,16\r\n", "FS,1.500\r\n", "WQ,27-01-02T03:04\r\n", "FP,0.2500\r\n", "GT\r\n",
          "GS\r\n", "GA\r\n", "WT,27-03-04T05:06:07\r\n", "WX,9\r\n"}},
        {"read in a comma-decimal locale",
         {},
         {"read", "--json"},
         0,
         R"("battery_voltage":3.1,)",
         "",
         {},
         true},
        {"write in a comma-decimal locale",
         {},
         {"write", "set1.staff_length=2.25"},
         0,
         "set1.staff_length=2.25\n",
         "",
         {"FS,2.250\r\n"},
         true},
        {"a comma is no decimal point, whatever the locale",
         {},
         {"write", "set1.staff_length=2,25"},
         2,
         "",
         "set1.staff_length takes a number (with a decimal point) from 0.0 to 100.0, not '2,25'",
         {},
         true},
        {"a value out of range is refused before anything is sent",
         {},
         {"write", "sample_rate=16", "burst_interval=300"},
         2,
         "",
         "burst_interval takes a whole number from 0 to 255, not '300'"},
        {"a reply that comes twice",
         {"", {}, "RS"},
         {"read", "--json"},
         0,
         R"("set1":{"staff_type":1,"staff_length":2.5,"calibration_table":[0.5,1,0,)",
         "",
         {}},
        // The second echo of the rate comes while the burst length waits for its own, late:
        // the burst length is confirmed by its own echo, not refused by the rate's.
        {"a write echoed twice while the next one waits",
         {"", {}, "WS", "WL"},
         {"write", "sample_rate=16", "burst_length=4"},
         0,
         "sample_rate=16\nburst_length=4\n",
         "",
         {"WS,16\r\n", "WL,4\r\n"}},
        {"the unit stops answering in the middle of the read",
         {"RS", {}},
         {"read", "--timeout", "2"},
         1,
         "",
         "the unit did not answer within 2 s (awaiting the reply to RL)"},
        {"a write whose echo differs",
         {"", {{'S', "8"}}},
         {"write", "burst_length=4", "sample_rate=16", "filter=0"},
         1,
         "burst_length=4\n",
         "sample_rate was not confirmed: the unit answered 8 to WS,16",
         {"WL,4\r\n", "WS,16\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TableUnit unit(c.behaviour);
        const char* saved = std::setlocale(LC_ALL, nullptr);
        const std::string previous = saved ? saved : "C";
        if (c.commaLocale) {
            ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        }
        QElapsedTimer clock;
        clock.start();
        const CliRun run =
            RunInProcess(QStringList{"config"} + c.arguments.mid(0, 1) +
                         QStringList{"--port", unit.Path(), "--kind", "ravo-zerar-xb",
                                     "--address", "0013a20012345678"} +
                         c.arguments.mid(1));
        std::setlocale(LC_ALL, previous.c_str());
        QLocale::setDefault(QLocale::c());
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_LT(clock.elapsed(), 8000);
        EXPECT_EQ(unit.Violations(), std::vector<std::string>());

        const std::vector<std::string> commands = unit.Commands();
        if (c.status == 2) {
            EXPECT_TRUE(commands.empty()) << commands.front();
            continue;
        }
        // The adapter's PAN ID was answered before the unit was chosen; then the whole read.
        ASSERT_GE(commands.size(), 2u);
        EXPECT_EQ(commands[0], "AT ID");
        EXPECT_EQ(commands[1], "AT ID answered");
        const bool silent = !c.behaviour.silentAfter.empty();
        // Silent after "RS": "RL" goes out and is resent until the timeout.
        const std::size_t reads = silent ? 7 : kReadSequence.size();
        ASSERT_GE(commands.size(), 2 + reads);
        EXPECT_EQ(std::vector<std::string>(commands.begin() + 2, commands.begin() + 2 + reads),
                  std::vector<std::string>(kReadSequence.begin(), kReadSequence.begin() + reads));
        const std::vector<std::string> after(commands.begin() + 2 + reads, commands.end());
        if (silent)
            for (const std::string& resent : after)
                EXPECT_EQ(resent, "RL\r\n");
        else
            EXPECT_EQ(after, c.sentAfter);
    }
}

// A unit that sends no data is not heard: list says so and ends with status 1, so that a
// script does not go on as if the port had no units to configure by choice.
TEST_F(ConfigTest, ListEndsWithStatusOneWhenNoUnitWasHeard) {
    TableUnit unit({});
    const CliRun run = RunInProcess(QStringList{"config", "list", "--port", unit.Path(), "--kind",
                                                "ravo-zerar-xb", "--seconds", "1"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no unit was heard on"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

// The log reads each unit once, when first heard: its settings go beside the data file, in
// whole lines, and retained to the broker; --no-config-read leaves the units alone.
TEST_F(ConfigTest, TheLogKeepsEachUnitsSettingsBesideTheDataFileAndRetainedOnTheBroker) {
    Broker broker;
    ASSERT_EQ(broker.Start(), "");
    sim::SimOptions options;
    options.units = 2;
    options.rate = 32;
    sim::Simulator simulator(options);
    ASSERT_TRUE(simulator.Start()) << simulator.Error();
    const auto logFor = [&](int ms, const QStringList& more) {
        QTimer::singleShot(ms, [] { cli::RequestLogStop(); });
        return RunInProcess(QStringList{"log", "--port", QString::fromStdString(simulator.SlavePath()),
                                        "--kind", "ravo-zerar-xb"} +
                            more);
    };
    const CliRun log = logFor(7000, {"--csv", Path("site.csv"), "--mqtt",
                                     QString("127.0.0.1:%1").arg(broker.Port()), "--mqtt-root", "t"});
    ASSERT_EQ(log.status, 0) << log.err;

    std::map<QString, int> devices; // address -> device number
    for (int k = 0; k < 2; ++k) {
        const auto config = simulator.Inspect([k](sim::SimState& s) { return s.radio.units[k].config; });
        devices[QString("%1").arg(config.address, 16, 16, QChar('0')).toUpper()] = config.deviceNumber;
    }
    const QByteArray record = ReadFile(Path("site000-config.jsonl"));
    ASSERT_TRUE(record.endsWith('\n')) << record.toStdString() << log.err;
    const QList<QByteArray> lines = record.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2) << record.toStdString();
    std::set<QString> recorded;
    for (const QByteArray& line : lines) {
        const QJsonObject json = QJsonDocument::fromJson(line).object();
        ASSERT_FALSE(json.isEmpty()) << line.toStdString();
        EXPECT_EQ(json["event"].toString(), "read");
        const QString address = json["address"].toString();
        recorded.insert(address);
        ASSERT_TRUE(devices.count(address)) << line.toStdString();
        EXPECT_EQ(json["device_number"].toInt(), devices[address]);
        EXPECT_EQ(json["time"].toString().size(), 19);
        const QJsonObject settings = json["settings"].toObject();
        EXPECT_EQ(settings["sample_rate"].toInt(), 32);
        EXPECT_EQ(settings["address"].toString(), address);
    }
    EXPECT_EQ(recorded.size(), 2u);

    // A subscriber that comes afterwards still learns each unit's settings.
    Subscriber late(broker.Port(), "t/+/config", "late");
    ASSERT_TRUE(late.WaitSubscribed());
    ASSERT_TRUE(WaitUntil([&] { return late.Messages().size() >= 2; }, 5000));
    for (const ReceivedMessage& message : late.Messages()) {
        EXPECT_TRUE(message.retained) << message.topic;
        const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(message.payload)).object();
        EXPECT_EQ(message.topic, "t/" + std::to_string(json["device_number"].toInt()) + "/config");
        EXPECT_TRUE(recorded.count(json["address"].toString())) << message.payload;
    }

    const CliRun quiet = logFor(3000, {"--csv", Path("quiet.csv"), "--no-config-read"});
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_FALSE(QFileInfo::exists(Path("quiet000-config.jsonl")));
    EXPECT_EQ(quiet.err.find("configuration read"), std::string::npos) << quiet.err;
}

} // namespace
} // namespace undarix::testing
