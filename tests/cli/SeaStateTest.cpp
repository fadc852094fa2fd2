// seastate: the sea state per interval from data files and capture files, the same records
// however the input is cut into files or read in pieces, with its options and its errors.

#include "CliFixture.h"
#include "cli/SeaStateCommand.h"
#include "support/CNumbers.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <sstream>

namespace undarix::testing {
namespace {

constexpr std::uint64_t kUnitA = 0x0013A20040A1B2C3ull;

// Level in meters of device `device` at `t` seconds: a sine of amplitude 0.25 m per device
// number, period 8 s.
float Level(int device, double t) {
    return float(2.0 + 0.25 * device * std::sin(2 * std::numbers::pi * t / 8.0));
}

// "I" lines (64 values at 8 Hz: 8 s each) of each device for `seconds` from 12:00:00 + start.
std::string ILines(const std::vector<int>& devices, int start, int seconds) {
    std::string text;
    for (int s = start; s < start + seconds; s += 8)
        for (int device : devices) {
            std::vector<float> values(64);
            for (int k = 0; k < 64; ++k)
                values[std::size_t(k)] = Level(device, s + k / 8.0);
            text += DataLine('I', device, 8, s, values);
        }
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class SeaStateTest : public CliTest {
protected:
    CliRun Run(QStringList arguments) {
        arguments.prepend("seastate");
        return RunInProcess(arguments);
    }
};

TEST_F(SeaStateTest, DataFilesGiveOneRecordPerUnitAndIntervalWithTheirWaves) {
    WriteFile(Path("site000.csv"), "Date,Time,header\r\n" + ILines({1, 3}, 0, 3600));
    const CliRun run = Run({Path("site000.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_EQ(
        lines[0].rfind("device,address,start,interval_min,rate_hz,tide_filter,level_removed,flag,", 0),
        0u);
    struct Expected {
        int device;
        const char* start;
    };
    const Expected expected[] = {{1, "2026-12-07T12:00:00"},
                                 {3, "2026-12-07T12:00:00"},
                                 {1, "2026-12-07T12:30:00"},
                                 {3, "2026-12-07T12:30:00"}};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        std::map<std::string, std::string> f = Fields(lines[0], lines[i + 1]);
        EXPECT_EQ(f["device"], std::to_string(expected[i].device));
        EXPECT_EQ(f["address"], "000000000000000" + std::to_string(expected[i].device));
        EXPECT_EQ(f["start"], expected[i].start);
        EXPECT_EQ(f["interval_min"], "30");
        EXPECT_EQ(f["rate_hz"], "8");
        EXPECT_EQ(f["expected"], "14400");
        EXPECT_EQ(f["present"], "14400");
        EXPECT_EQ(f["flag"], "pass");
        EXPECT_NEAR(CStrtod(f["hm0_m"].c_str()), 2 * std::sqrt(2.0) * 0.25 * expected[i].device,
                    2e-3);
        EXPECT_EQ(f["tp_s"], "8.000");
        EXPECT_NEAR(CStrtod(f["tz_s"].c_str()), 8.0, 1e-2);
    }
    EXPECT_NE(run.err.find("2 unit(s)"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("1 line(s) of the data files were not data lines"), std::string::npos);
}

TEST_F(SeaStateTest, TheSameRecordsHoweverTheInputIsCutIntoFilesOrPieces) {
    // 2 hours of two units in one file, then cut into three files at line ends inside
    // intervals (as a rotation at midnight would), and read in pieces of many sizes.
    const std::string all = ILines({2, 5}, 0, 7200);
    WriteFile(Path("whole.csv"), all);
    const std::size_t line = 545;
    WriteFile(Path("part000.csv"), all.substr(0, 1001 * line));
    WriteFile(Path("part001.csv"), all.substr(1001 * line, 555 * line));
    WriteFile(Path("part002.csv"), all.substr(1556 * line));
    const CliRun whole = Run({Path("whole.csv")});
    ASSERT_EQ(whole.status, 0) << whole.err;
    EXPECT_EQ(Lines(whole.out).size(), 1u + 8u);
    const CliRun parts = Run({Path("part000.csv"), Path("part001.csv"), Path("part002.csv")});
    EXPECT_EQ(parts.out, whole.out);

    for (qint64 chunk : {1, 7, 544, 545, 4096, 1 << 20}) {
        SCOPED_TRACE(chunk);
        cli::SeaStateRequest request;
        request.inputs = {Path("whole.csv")};
        request.chunkBytes = chunk;
        CliRun run;
        cli::Console console;
        console.out = [&run](std::string_view bytes) { run.out.append(bytes); };
        console.err = [&run](std::string_view bytes) { run.err.append(bytes); };
        ASSERT_EQ(cli::RunSeaState(request, console), 0);
        EXPECT_EQ(run.out, whole.out);
    }
}

TEST_F(SeaStateTest, ACaptureGivesTheRecordsOfTheDataFileTheProgramLogsFromIt) {
    // A unit at 16 Hz in "I" blocks (4 s) for 40 minutes, one block lost on the way.
    std::string wire;
    for (int s = 0; s < 2400; s += 4) {
        if (s == 1000) continue;
        std::vector<int> mm(64);
        for (int k = 0; k < 64; ++k)
            mm[std::size_t(k)] = int(std::lround(1000.0 * Level(2, s + k / 16.0)));
        wire += ReceivedFrame(kUnitA, IBlockText(4, 16, s, mm));
    }
    WriteFile(Path("run.api"), wire);
    ASSERT_EQ(RunInProcess({"convert", Path("run.api"), Path("run.csv")}).status, 0);
    const CliRun fromCapture = Run({Path("run.api"), "--json"});
    const CliRun fromData = Run({Path("run.csv"), "--json"});
    ASSERT_EQ(fromCapture.status, 0) << fromCapture.err;
    ASSERT_EQ(fromData.status, 0) << fromData.err;
    const std::vector<std::string> a = Lines(fromCapture.out), b = Lines(fromData.out);
    ASSERT_EQ(a.size(), 2u);
    ASSERT_EQ(b.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        QJsonObject capture = QJsonDocument::fromJson(QByteArray::fromStdString(a[i])).object();
        QJsonObject data = QJsonDocument::fromJson(QByteArray::fromStdString(b[i])).object();
        EXPECT_EQ(capture["address"].toString(), "0013A20040A1B2C3");
        EXPECT_EQ(data["address"].toString(), "0000000000000004");
        capture.remove("address");
        data.remove("address");
        EXPECT_EQ(capture, data) << a[i] << "\n" << b[i];
    }
    const QJsonObject first = QJsonDocument::fromJson(QByteArray::fromStdString(a[0])).object();
    EXPECT_EQ(first["missing"].toInt(), 64);
    EXPECT_EQ(first["longest_gap"].toInt(), 64);
    EXPECT_EQ(first["gap_flag"].toString(), "suspect");
}

TEST_F(SeaStateTest, SingleSampleUnitsAreTimedByTheirDateAndTimeRecords) {
    std::string text;
    for (int s = 0; s < 600; ++s) {
        if (s % 60 == 0) {
            text += "C009,D8,2026-12-07\r\nC009,D9,12:";
            text += (s / 60 < 10 ? "0" : "") + std::to_string(s / 60) + ":00\r\nC009,D7,G\r\n";
        }
        for (int k = 0; k < 4; ++k) {
            text += "C009,D1,S04," + CPrintf("%07.4f", double(Level(1, s + k / 4.0))) + "\r\n";
        }
    }
    WriteFile(Path("single.csv"), text);
    const CliRun run = Run({Path("single.csv"), "--interval", "10"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 2u);
    std::map<std::string, std::string> f = Fields(lines[0], lines[1]);
    EXPECT_EQ(f["start"], "2026-12-07T12:00:00");
    EXPECT_EQ(f["present"], "2400");
    EXPECT_EQ(f["expected"], "2400");
    EXPECT_EQ(f["tp_s"], "8.000");
}

TEST_F(SeaStateTest, OptionsChooseTheUnitTheIntervalTheFilterAndTheLimits) {
    std::string text = ILines({1, 2}, 0, 1200);
    WriteFile(Path("site.csv"), text);
    struct Case {
        QStringList options;
        int records;
        const char* field;
        const char* value;
    };
    const Case cases[] = {
        {{"--device", "2"}, 1, "device", "2"},
        {{"--interval", "10"}, 4, "interval_min", "10"},
        {{"--interval", "60"}, 2, "interval_min", "60"},
        {{"--tide"}, 2, "tide_filter", "1"},
        {{"--qc-range", "1.9:2.1"}, 2, "range_flag", "fail"},
        {{"--qc-range=-1:5"}, 2, "range_flag", "pass"},
        {{"--qc-shift", "0.0001"}, 2, "shift_flag", "suspect"},
        {{"--qc-min-present", "100"}, 2, "gap_flag", "fail"}, // 20 of the interval's 30 minutes
        {{"--qc-spike", "1.2"}, 2, "spike_flag", "pass"}, // a smooth sine has no spike at all
        {{"--keep-level"}, 2, "level_removed", "0"},
        {{"--band", "0.05:0.5"}, 2, "band_high_hz", "0.500"},
        {{"--band", "0.1:auto"}, 2, "band_low_hz", "0.100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        CliRun run = Run(QStringList{Path("site.csv")} + c.options);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<std::string> lines = Lines(run.out);
        ASSERT_EQ(int(lines.size()), c.records + 1) << run.out;
        EXPECT_EQ(Fields(lines[0], lines[1])[c.field], c.value) << lines[1];
    }
}

// Device 0 (the board) and device 256 were one unit: each is a unit of its own, and each can
// be chosen.
TEST_F(SeaStateTest, DeviceZeroAndDevicesAbove255AreUnitsOfTheirOwn) {
    WriteFile(Path("site.csv"), ILines({0, 256, 1}, 0, 600));
    const CliRun all = Run({Path("site.csv")});
    ASSERT_EQ(all.status, 0) << all.err;
    const std::vector<std::string> lines = Lines(all.out);
    ASSERT_EQ(lines.size(), 4u) << all.out;
    std::set<std::string> addresses, devices;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        auto fields = Fields(lines[0], lines[i]);
        addresses.insert(fields["address"]);
        devices.insert(fields["device"]);
        EXPECT_EQ(fields["present"], "4800") << lines[i];
    }
    EXPECT_EQ(addresses.size(), 3u);
    EXPECT_EQ(devices, (std::set<std::string>{"0", "1", "256"}));
    for (const char* device : {"0", "256"}) {
        const CliRun one = Run({Path("site.csv"), "--device", device});
        ASSERT_EQ(one.status, 0) << one.err;
        const std::vector<std::string> chosen = Lines(one.out);
        ASSERT_EQ(chosen.size(), 2u) << one.out;
        EXPECT_EQ(Fields(chosen[0], chosen[1])["device"], device);
    }
}

TEST_F(SeaStateTest, UnitsBeyondTheFirst64AreSkippedAndNamed) {
    std::vector<int> devices(70);
    for (int i = 0; i < 70; ++i)
        devices[std::size_t(i)] = i + 1;
    WriteFile(Path("many.csv"), ILines(devices, 0, 16));
    const CliRun run = Run({Path("many.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out).size(), 65u); // the header and 64 records
    EXPECT_NE(run.err.find("6 unit(s) beyond the first 64 were skipped, 768 samples unread: "
                           "device 65 (0000000000000041), device 66"),
              std::string::npos)
        << run.err;
}

TEST_F(SeaStateTest, UsageErrorsAndBadInputAreToldWithTheirExitStatus) {
    WriteFile(Path("site.csv"), ILines({1}, 0, 64));
    WriteFile(Path("header.csv"), "Date,Time\r\nnothing here\r\n");
    WriteFile(Path("flash.csv"), "Y,flash card\r\n");
    WriteFile(Path("notes.txt"), "text");
    struct Case {
        QStringList arguments;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{}, 2, "wants at least one INPUT"},
        {{Path("site.csv"), "--interval", "15"}, 2, "--interval wants 10, 20, 30 or 60"},
        {{Path("site.csv"), "--device", "1000"}, 2, "--device wants a number from 0 to 999"},
        {{Path("site.csv"), "--qc-range", "3:1"}, 2, "--qc-range wants MIN:MAX"},
        {{Path("site.csv"), "--qc-spike", "4,5"}, 2, "--qc-spike wants a number"},
        {{Path("site.csv"), "--band", "0.5:0.1"}, 2, "--band wants LOW:HIGH"},
        {{Path("site.csv"), "--bogus"}, 2, "Unknown option"},
        {{Path("notes.txt")}, 1, "neither a capture file"},
        {{Path("missing.csv")}, 1, "no such file"},
        {{Path("header.csv")}, 1, "no samples with a valid time stamp"},
        {{Path("flash.csv")}, 1, "flash-card file"},
        {{Path("site.csv"), "--device", "9"}, 1, "no samples of device 9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CliRun run = Run(c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_EQ(Run({"--help"}).status, 0);
}

TEST_F(SeaStateTest, LongInputsShowProgressAndTheExecutableIgnoresTheLocale) {
    // 11 MB: a little over 20,000 lines.
    WriteFile(Path("long.csv"), ILines({1, 2, 3}, 0, 56000));
    qputenv("LC_ALL", "de_DE.UTF-8");
    const CliRun run = RunExecutable({"seastate", Path("long.csv"), "--interval", "60"});
    qunsetenv("LC_ALL");
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* tenth : {"10%", "50%", "90%"})
        EXPECT_NE(run.err.find(std::string("undarix-cli seastate: ") + tenth), std::string::npos)
            << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 1u + 3u * 16u);
    EXPECT_EQ(Fields(lines[0], lines[1])["hm0_m"].find(','), std::string::npos);
    EXPECT_NEAR(CStrtod(Fields(lines[0], lines[1])["hm0_m"].c_str()), 0.7071, 1e-3);
}

} // namespace
} // namespace undarix::testing
