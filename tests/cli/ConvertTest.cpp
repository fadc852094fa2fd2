// convert: a capture becomes the very lines the program logs live for the same bytes; a data
// file is checked and written again line by line.

#include "CliFixture.h"
#include "app/DemoMode.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "files/FileState.h"
#include "link/ReceivePath.h"
#include "link/SerialPort.h"
#include "sim/Simulator.h"
#include "ui/Callbacks.h"

#include "support/SmallDisk.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <functional>
#include <random>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace undarix::testing {
namespace {

using namespace core;

constexpr std::uint64_t kUnitA = 0x0013A20040A1B2C3ull; // address bytes that travel escaped
constexpr std::uint64_t kUnitB = 0x0013A2004000117Dull;
constexpr std::uint64_t kUnitC = 0x0013A20040000007ull;
constexpr std::uint64_t kUnitD = 0x0013A2004000007Eull;

std::vector<int> Wave(int seed, int count) {
    std::vector<int> mm;
    for (int k = 0; k < count; ++k)
        mm.push_back(1500 + (k * 37 + seed * 11) % 900 - 450);
    return mm;
}

std::string FloatBlockText(int device, int seconds) {
    std::string text = "F" + std::string(device < 10 ? "00" : "0") + std::to_string(device) +
                       ",S32,B0," + Stamp(seconds) + ",,";
    for (int k = 0; k < 32; ++k) {
        const float value = 1.25f + 0.01f * float(k) - (k % 5 == 0 ? 3.0f : 0.0f);
        char bytes[4];
        std::memcpy(bytes, &value, 4);
        text.append(bytes, 4);
    }
    return text;
}

std::string SixtyBlockText(int device, int seconds) {
    std::string text = IBlockText(device, 16, seconds, Wave(seconds, 64));
    text[0] = 'i';
    return text.substr(0, 33 + 120);
}

// What a morning of four units sends, with the frames a logging program also sees: replies,
// AT responses, transmit status, a damaged frame and noise between frames.
std::string MorningOfFourUnits() {
    std::string wire = "noise";
    for (int s = 0; s < 12; ++s) {
        wire += ReceivedFrame(kUnitA, IBlockText(3, 16, 4 * s, Wave(s, 64)));
        wire += ReceivedFrame(kUnitB, ABlockText(11, 32, s, Wave(s + 100, 32)));
        if (s % 4 == 0) {
            wire += ReceivedFrame(kUnitC, "C007,D8,2026-12-07");
            wire += ReceivedFrame(kUnitC, "C007,D9,12:00:0" + std::to_string(s % 10));
            wire += ReceivedFrame(kUnitC, "C007,D7,L");
            wire += ReceivedFrame(kUnitC, "C007,D4,12.50");
            wire += ReceivedFrame(kUnitC, "C007,D3,whatever"); // logs nothing
        }
        wire += ReceivedFrame(kUnitC, "C007,D1,S08,0" + std::to_string(1200 + s * 13) + "\r\n");
        wire += ReceivedFrame(kUnitD, s % 2 ? FloatBlockText(126, s) : SixtyBlockText(126, s));
        wire += std::string("\x00\x11\x13", 3);
        if (s == 5) {
            wire += ReceivedFrame(kUnitA, "$RT,1\r\n");
            wire += Escaped(std::string("\x88\x01ID\x00\x33\x32", 7));
            wire += Escaped(std::string("\x8B\x01\xFF\xFE\x00\x00\x00", 7));
            std::string damaged = ReceivedFrame(kUnitA, IBlockText(3, 16, 99, Wave(1, 64)));
            damaged[damaged.size() / 2] ^= 0x01;
            wire += damaged;
        }
    }
    return wire;
}

class LiveLoggingTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }
    QTemporaryDir dir;
};

TEST_F(LiveLoggingTest, ACaptureConvertsToTheBytesThatWereLoggedLive) {
    popups->ExpectPrompt("SAVE FILE INTERVAL", "99");
    popups->ExpectFile("Save Output Data To:",
                       {ui::FileSelection::Status::NewFile, dir.filePath("live.csv")});
    ui::Dispatch(menu::SaveOutputData, ui::Event::Commit);
    popups->ExpectFile("Save API Frame Data To:",
                       {ui::FileSelection::Status::NewFile, dir.filePath("live.api")});
    ui::Dispatch(menu::SaveApiFrameData, ui::Event::Commit);
    ASSERT_TRUE(Program.OutputDataFileOpen && Program.APIFrameDataFileOpen);

    Program.UnitType = RavoZerarXB;
    const int port = link::PortNumberForPath("mem:units");
    ASSERT_EQ(link::OpenComConfig(port, 115200), 0);
    link::InstallComCallback(port, link::kRxCharEvent, link::ComCallback);
    Program.OpenComPortNum = port;
    // The bytes arrive in pieces of any size, cutting frames anywhere.
    const std::string wire = MorningOfFourUnits();
    std::mt19937 random(7);
    for (std::size_t at = 0; at < wire.size();) {
        const std::size_t piece = std::min<std::size_t>(1 + random() % 300, wire.size() - at);
        link::MemoryPortReceive(port, wire.substr(at, piece));
        at += piece;
    }
    ui::Dispatch(menu::StopSavingOutputData, ui::Event::Commit);
    ui::Dispatch(menu::StopSavingApiFrameData, ui::Event::Commit);

    const QByteArray live = ReadFile(dir.filePath("live000.csv"));
    ASSERT_EQ(ReadFile(dir.filePath("live.api")).toStdString(), wire);
    // 12 blocks of each block unit, 12 samples and 12 records of the one-value unit.
    ASSERT_EQ(live.count('\n'), 60);

    const CliRun run =
        RunExecutable({"convert", dir.filePath("live.api"), dir.filePath("converted.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(dir.filePath("converted.csv")), live);
    const int lines = int(live.count('\n'));
    EXPECT_NE(
        run.err.find("frames good, 1 frames dropped, " + std::to_string(lines) + " lines written"),
        std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("device   3: 12 lines"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("device   7: 24 lines"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("device 126: 12 lines"), std::string::npos) << run.err;

    // The same lines on standard output.
    const CliRun piped = RunExecutable({"convert", dir.filePath("live.api"), "-"});
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(QByteArray::fromStdString(piped.out), live);
}

TEST_F(LiveLoggingTest, ACaptureOfTheSimulatorConvertsToTheBytesThatWereLoggedLive) {
    // Five units, one of each data format, logged and captured from the port's first byte;
    // two frames on the way arrive damaged.
    sim::SimOptions options;
    options.units = 5;
    options.formats = "AFIiC";
    options.rate = 32;
    options.seed = 12;
    sim::Simulator simulator(options);
    ASSERT_TRUE(simulator.Start()) << simulator.Error();
    popups->ExpectPrompt("SAVE FILE INTERVAL", "1");
    popups->ExpectFile("Save Output Data To:",
                       {ui::FileSelection::Status::NewFile, dir.filePath("sim.csv")});
    ui::Dispatch(menu::SaveOutputData, ui::Event::Commit);
    popups->ExpectFile("Save API Frame Data To:",
                       {ui::FileSelection::Status::NewFile, dir.filePath("sim.api")});
    ui::Dispatch(menu::SaveApiFrameData, ui::Event::Commit);
    simulator.CorruptNext(2);
    app::OpenSimulatedPort(simulator, "Simulated units");
    ASSERT_NE(Program.OpenComPortNum, 0);
    // Until every unit has logged lines.
    const auto allKinds = [this] {
        const QByteArray lines = "\n" + ReadFile(dir.filePath("sim000.csv"));
        for (const char* kind : {"\nA", "\nF", "\nI", "\ni", "\nC"})
            if (!lines.contains(kind)) return false;
        return true;
    };
    ASSERT_TRUE(WaitUntil(allKinds, 20000));
    ui::Dispatch(menu::StopSavingOutputData, ui::Event::Commit);
    ui::Dispatch(menu::StopSavingApiFrameData, ui::Event::Commit);

    const QByteArray live = ReadFile(dir.filePath("sim000.csv"));
    const CliRun run =
        RunExecutable({"convert", dir.filePath("sim.api"), dir.filePath("converted.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(dir.filePath("converted.csv")), live);
    EXPECT_NE(
        run.err.find(" 2 frames dropped, " + std::to_string(live.count('\n')) + " lines written"),
        std::string::npos)
        << run.err;
}

class ConvertTest : public CliTest {};

// Samples across every range a data-file field prints differently: both signs, below 1, 10 and
// 100 m (seven characters no longer hold those whole), ties of the fourth decimal, what is
// not a number, the extremes of a 16-bit block.
std::string EveryKindOfSample() {
    std::string wire;
    std::vector<int> sweep;
    for (int mm = -32768; mm <= 32767; mm += 257)
        sweep.push_back(mm);
    for (int mm : {-32768, -10001, -10000, -9999, -1, 0, 1, 9999, 10000, 32767})
        sweep.push_back(mm);
    for (std::size_t at = 0, s = 0; at < sweep.size(); at += 64, ++s) {
        std::vector<int> block(sweep.begin() + long(at),
                               sweep.begin() + long(std::min(at + 64, sweep.size())));
        wire += ReceivedFrame(kUnitA, IBlockText(3, 16, 4 * int(s), block));
        wire += ReceivedFrame(kUnitB, ABlockText(11, 32, int(s), block));
    }
    const float odd[] = {0.0f, -0.0f, 0.00005f, -0.00005f, 0.00015f, 9.99995f, -9.99995f,
                         99.99995f, 100.0f, -10.0f, 123.456f, -12.3456f, 1e9f, -3e38f, 1e-30f,
                         std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(), 1.25f, 5.06645f};
    for (int s = 0; s < 4; ++s) {
        std::string text = "F126,S32,B0," + Stamp(s) + ",,";
        for (int k = 0; k < 32; ++k) {
            const float value = odd[(k + s * 7) % std::size(odd)] * (k >= 20 ? 0.1f : 1.0f);
            char bytes[4];
            std::memcpy(bytes, &value, 4);
            text.append(bytes, 4);
        }
        wire += ReceivedFrame(kUnitD, text);
    }
    return wire;
}

// The lines a capture converts to are the program's data-file format: a change of a single
// byte here is a change of what every user's files hold. The expected file was written by the
// conversion before its pieces were made faster; UNDARIX_WRITE_GOLDEN=1 writes it anew.
TEST_F(ConvertTest, ACaptureConvertsToTheSameBytesAsBefore) {
    // Where the test runs from does not matter: ctest starts it in the build tree.
    const QString golden = QString(UNDARIX_CLI_TESTS_DIR) + "/golden/convert.csv";
    WriteFile(Path("golden.api"), MorningOfFourUnits() + EveryKindOfSample());
    const CliRun run = RunExecutable({"convert", Path("golden.api"), Path("out.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    const QByteArray out = ReadFile(Path("out.csv"));
    if (qEnvironmentVariableIsSet("UNDARIX_WRITE_GOLDEN")) {
        QDir().mkpath(QFileInfo(golden).path());
        WriteFile(golden, out.toStdString());
    }
    const QByteArray expected = ReadFile(golden);
    ASSERT_FALSE(expected.isEmpty()) << golden.toStdString() << " is missing";
    const QList<QByteArray> lines = out.split('\n'), expectedLines = expected.split('\n');
    ASSERT_EQ(lines.size(), expectedLines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        ASSERT_EQ(lines[i].toStdString(), expectedLines[i].toStdString()) << "line " << i + 1;
    EXPECT_EQ(out, expected);
    // The same bytes on standard output, written by the other way out.
    const CliRun piped = RunExecutable({"convert", Path("golden.api"), "-"});
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(QByteArray::fromStdString(piped.out), expected);
}

std::string Frames(int count) {
    std::string wire;
    for (int s = 0; s < count; ++s)
        wire += ReceivedFrame(kUnitA, IBlockText(3, 16, 4 * s, Wave(s, 64)));
    return wire;
}

TEST_F(ConvertTest, DamagedFramesAreSkippedAndCounted) {
    std::vector<std::string> frames;
    for (int s = 0; s < 10; ++s)
        frames.push_back(ReceivedFrame(kUnitA, IBlockText(3, 16, 4 * s, Wave(s, 64))));
    frames[2][frames[2].find("I003")] = 'J'; // checksum no longer fits
    frames[5][2] = 0x04;                     // a length below 5
    frames[7] = frames[7].substr(0, 1) + "\x01\x00" + frames[7].substr(3); // a length of 256
    frames[9].resize(frames[9].size() / 2); // cut off at the end of the file
    std::string wire;
    for (const std::string& frame : frames)
        wire += frame + "\x7D\x7D"; // stray bytes between frames
    WriteFile(Path("damaged.api"), wire);

    const CliRun run = RunInProcess({"convert", Path("damaged.api"), Path("out.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(std::to_string(wire.size()) +
                           " bytes read, 6 frames good, 4 frames dropped, 6 lines written"),
              std::string::npos)
        << run.err;
    const QByteArray out = ReadFile(Path("out.csv"));
    EXPECT_EQ(out.size(), 6 * 545);
    // The frames after each damaged one are received whole.
    for (int s : {0, 1, 3, 4, 6, 8})
        EXPECT_TRUE(out.contains(QByteArray::fromStdString("I003,S16,B0," + Stamp(4 * s)))) << s;
}

TEST_F(ConvertTest, AnInputWithNothingUsableIsBadInput) {
    WriteFile(Path("empty.api"), "");
    WriteFile(Path("noise.api"), std::string(5000, '\x55'));
    WriteFile(Path("flash.csv"), "Y2014 flash card\r\nA004,...\r\n");
    WriteFile(Path("header.csv"), "Date,Time,Level\r\n");
    WriteFile(Path("units.txt"), Frames(2));
    WriteFile(Path("units.api"), Frames(2));
    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{"convert", Path("empty.api"), Path("o.csv")}, "empty.api: the file is empty"},
        {{"convert", Path("noise.api"), Path("o.csv")},
         "noise.api: no API frame with a good length and checksum in 5000 bytes"},
        {{"convert", Path("flash.csv"), Path("o.csv")}, "flash.csv: a Deve Zuravi flash-card"},
        {{"convert", Path("header.csv"), Path("o.csv")}, "header.csv: no data line"},
        {{"convert", Path("units.txt"), Path("o.csv")},
         "units.txt: neither a capture file (.api) nor a data file (.csv)"},
        {{"convert", Path("missing.api"), Path("o.csv")}, "missing.api: "},
        {{"convert", Path("units.api"), Path("units.api")}, "units.api: is the input file itself"},
        {{"convert", Path("units.api"), Path("no-such-folder/o.csv")},
         "no-such-folder/o.csv: cannot be written"},
        {{"convert", Path("units.api"), "/dev/full"}, "/dev/full: write failed"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunInProcess(c.arguments);
        EXPECT_EQ(run.status, 1) << c.message;
        // The message is the last line (a data file's bad lines are listed before it).
        const std::size_t last = run.err.rfind('\n', run.err.size() - 2);
        const std::string message = run.err.substr(last == std::string::npos ? 0 : last + 1);
        EXPECT_NE(message.find(c.message), std::string::npos) << run.err;
    }
}

TEST_F(ConvertTest, ADataFileIsCheckedAndWrittenAgainLineByLine) {
    const std::vector<float> values = {1.5f, -0.25f, 12.3456f, 0.0f};
    std::vector<float> block(64);
    for (std::size_t k = 0; k < block.size(); ++k)
        block[k] = values[k % values.size()];
    const std::string a = DataLine('A', 4, 32, 0, block);
    const std::string f = DataLine('F', 4, 32, 1, block);
    const std::string i64 = DataLine('I', 12, 16, 0, block);
    const std::string i60 = DataLine('i', 13, 16, 0, block);
    const std::string f60 = DataLine('f', 14, 1, 0, block);
    const std::string singles = "C001,D8,2026-12-07\r\nC001,D9,12:00:00\r\nC001,D1,S08,05.0920\r\n"
                                "C001,D7,G\r\nC001,D4,12.50\r\n";
    const std::string good = a + f + i64 + i60 + f60 + singles;

    std::string spliced = a.substr(0, 100) + f.substr(100);
    spliced[12] = 'X';
    std::string badValue = a;
    badValue[40] = 'x';
    std::string badStamp = i64;
    badStamp[22] = ':';
    const struct {
        std::string line;
        const char* problem;
    } bad[] = {
        {"Date,Time,Level\r\n", "not a data line"},
        {a.substr(0, 200) + "\r\n", "wrong length for its kind"},
        {spliced, "malformed time stamp"},
        {badValue, "malformed value field"},
        {badStamp, "malformed time stamp"},
        {"C001,D3,anything\r\n", "a record type that is never logged"},
        {"C001,D1,S08,5.092\r\n", "wrong length for its kind"},
        {"C001,D1,S08,0x.0920\r\n", "malformed sample"},
        {"C001,D8,2026/12/07\r\n", "malformed date"},
        {std::string(1500, 'A') + "\r\n", "line too long"},
    };
    // Bad lines between the good ones; LF-only and blank lines too.
    std::string input = "\r\n";
    for (const auto& b : bad)
        input += b.line;
    input += a + "\n" + f + i64 + "\r\n\r\n" + i60 + f60 + singles;
    WriteFile(Path("mixed.csv"), input);

    const CliRun run = RunInProcess({"convert", Path("mixed.csv"), Path("clean.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(Path("clean.csv")).toStdString(), good);
    EXPECT_NE(run.err.find("10 lines good, 10 lines bad (skipped), 10 lines written"),
              std::string::npos)
        << run.err;
    int line = 2; // the blank first line is passed over, not counted as bad
    for (const auto& b : bad) {
        EXPECT_NE(run.err.find("mixed.csv:" + std::to_string(line) + ": " + b.problem),
                  std::string::npos)
            << b.problem << "\n"
            << run.err;
        ++line;
    }
    for (const char* device : {"device   1: 5 lines", "device   4: 2 lines", "device  12: 1 lines"})
        EXPECT_NE(run.err.find(device), std::string::npos) << run.err;

    // A file the program wrote comes out unchanged.
    const CliRun again = RunInProcess({"convert", Path("clean.csv"), Path("again.csv")});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(ReadFile(Path("again.csv")), ReadFile(Path("clean.csv")));
}

TEST_F(ConvertTest, ALargeInputShowsItsProgressAndIsReadInPieces) {
    const std::string frames = Frames(64);
    std::string wire;
    while (wire.size() < 11'000'000)
        wire += frames;
    WriteFile(Path("large.api"), wire);
    const CliRun run = RunInProcess({"convert", Path("large.api"), Path("large.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    for (int percent = 10; percent <= 90; percent += 10)
        EXPECT_NE(run.err.find("large.api: " + std::to_string(percent) + "% ("), std::string::npos)
            << run.err;
    EXPECT_EQ(ReadFile(Path("large.csv")).size(), qint64(wire.size() / frames.size() * 64 * 545));
}

// Runs the executable with its arguments as bytes (QProcess would re-encode a name that is
// not valid UTF-8); its exit status, or -1, and what it said on standard error.
int RunWithRawArguments(const std::vector<std::string>& arguments, std::string& err) {
    int errPipe[2];
    if (::pipe(errPipe) != 0) return -1;
    std::vector<char*> argv{const_cast<char*>(UNDARIX_CLI_EXECUTABLE)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(errPipe[1], STDERR_FILENO);
        ::close(errPipe[0]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(errPipe[1]);
    char buffer[4096];
    for (long n; (n = ::read(errPipe[0], buffer, sizeof buffer)) > 0;)
        err.append(buffer, std::size_t(n));
    ::close(errPipe[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Temporary files a conversion left beside its output.
QStringList LeftOvers(const QString& folder) {
    return QDir(folder).entryList({"*.partial-*"}, QDir::Files | QDir::Hidden);
}

TEST_F(ConvertTest, TheInputIsNeverTheOutputUnderAnyName) {
    const std::string good = DataLine('A', 4, 32, 0, std::vector<float>(32, 1.5f));
    WriteFile(Path("a.csv"), good);
    ASSERT_EQ(::link(QFile::encodeName(Path("a.csv")).constData(),
                     QFile::encodeName(Path("hard.csv")).constData()),
              0);
    ASSERT_TRUE(QFile::link(Path("a.csv"), Path("soft.csv")));
    QStringList outputs = {Path("hard.csv"), Path("soft.csv"), dir.path() + "/./a.csv"};
    // The same file through a bind mount, where one can be made.
    QTemporaryDir bound;
    const bool mounted =
        ::mount(QFile::encodeName(dir.path()).constData(),
                QFile::encodeName(bound.path()).constData(), nullptr, MS_BIND, nullptr) == 0;
    if (mounted) outputs << bound.filePath("a.csv");
    for (const QString& output : outputs) {
        const CliRun run = RunExecutable({"convert", Path("a.csv"), output});
        EXPECT_EQ(run.status, 1) << output.toStdString();
        EXPECT_NE(run.err.find("is the input file itself"), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(Path("a.csv")).toStdString(), good) << output.toStdString();
    }
    if (mounted) ::umount2(QFile::encodeName(bound.path()).constData(), MNT_DETACH);
}

TEST_F(ConvertTest, AConversionThatFailsLeavesAnExistingOutputAsItWas) {
    WriteFile(Path("empty.api"), "");
    WriteFile(Path("noise.api"), std::string(5000, '\x55'));
    // Good frames, but none of them a sample packet.
    WriteFile(Path("replies.api"), Escaped(std::string("\x88\x01ID\x00\x33\x32", 7)) +
                                       Escaped(std::string("\x8B\x01\xFF\xFE\x00\x00\x00", 7)));
    std::mt19937 random(18);
    std::string bytes(1 << 20, '\0');
    for (char& byte : bytes)
        byte = char(random());
    WriteFile(Path("random.api"), bytes);
    WriteFile(Path("header.csv"), "Date,Time,Level\r\n");
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("fifo.api")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", Path("zero.api")));
    WriteFile(Path("units.api"), Frames(2));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.csv"));
    const struct {
        QString input;
        QString output;
        const char* message;
    } cases[] = {
        {"empty.api", "keep.csv", "empty.api: the file is empty"},
        {"noise.api", "keep.csv", "no API frame with a good length and checksum"},
        {"replies.api", "keep.csv", "no data line could be made: none of its 2 good frames"},
        {"random.api", "keep.csv", "random.api: no"},
        {"header.csv", "keep.csv", "header.csv: no data line"},
        {"fifo.api", "keep.csv", "is a pipe, which may never end; give - to read standard input"},
        {"zero.api", "keep.csv", "is a device, which may never end"},
        {"units.api", "folder.csv", "folder.csv: cannot be written: is a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        WriteFile(Path("keep.csv"), "kept\r\n");
        const CliRun run = RunExecutable({"convert", Path(c.input), Path(c.output)}, 20000);
        EXPECT_EQ(run.status, 1) << run.err;
        const std::size_t last = run.err.rfind('\n', run.err.size() - 2);
        const std::string message = run.err.substr(last == std::string::npos ? 0 : last + 1);
        EXPECT_NE(message.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(Path("keep.csv")), "kept\r\n");
        EXPECT_TRUE(LeftOvers(dir.path()).isEmpty())
            << LeftOvers(dir.path()).join(' ').toStdString();
    }
}

TEST_F(ConvertTest, StandardInputAndNamesThatAreNotValidUtf8) {
    const std::string wire = Frames(3);
    WriteFile(Path("units.api"), wire);
    const CliRun direct = RunExecutable({"convert", Path("units.api"), Path("direct.csv")});
    ASSERT_EQ(direct.status, 0) << direct.err;
    const QByteArray expected = ReadFile(Path("direct.csv"));

    // A capture, and a data file, on standard input: each told apart by its bytes.
    for (const QString& input : {Path("units.api"), Path("direct.csv")}) {
        QProcess process;
        process.setStandardInputFile(input);
        process.start(UNDARIX_CLI_EXECUTABLE, {"convert", "-", Path("piped.csv")});
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        EXPECT_EQ(ReadFile(Path("piped.csv")), expected) << input.toStdString();
    }

    // Latin-1 names, as an older system wrote them.
    const std::string folder = QFile::encodeName(dir.path()).toStdString();
    const std::string input = folder + "/caf\xE9.api";
    const std::string output = folder + "/r\xE9sultat.csv";
    const int descriptor = ::open(input.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(::write(descriptor, wire.data(), wire.size()), long(wire.size()));
    ::close(descriptor);
    std::string err;
    ASSERT_EQ(RunWithRawArguments({"convert", input, output}, err), 0) << err;
    EXPECT_NE(err.find(input + ": "), std::string::npos) << err; // named with its own bytes
    struct stat status {};
    ASSERT_EQ(::stat(output.c_str(), &status), 0);
    EXPECT_EQ(qint64(status.st_size), expected.size());
}

// Runs the executable with its raw arguments in `folder`, its standard output going to
// `outputFile` (appended to, as `>>` does; none: /dev/null); returns the exit status, -1 when
// it had to be killed after ten seconds.
int RunRawIn(const std::string& folder, const std::vector<std::string>& arguments,
             const std::string& outputFile, std::string& err) {
    int errPipe[2];
    if (::pipe(errPipe) != 0) return -1;
    std::vector<char*> argv{const_cast<char*>(UNDARIX_CLI_EXECUTABLE)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outputFile.empty() ? "/dev/null" : outputFile.c_str(),
                               O_WRONLY | O_APPEND | O_CREAT, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(errPipe[1], STDERR_FILENO);
        ::close(errPipe[0]);
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        ::alarm(10);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(errPipe[1]);
    char buffer[4096];
    for (long n; (n = ::read(errPipe[0], buffer, sizeof buffer)) > 0;)
        err.append(buffer, std::size_t(n));
    ::close(errPipe[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Outputs a hostile user gives: standard output that is the input, /dev/stdout, a chain of
// symbolic links, a name that is not valid UTF-8, a pipe nobody reads, and the temporary files
// of a conversion that was killed. Each case: its exit status, and the files afterwards.
TEST_F(ConvertTest, EveryKindOfOutputNameGetsWhatItNames) {
    const std::string folder = QFile::encodeName(dir.path()).toStdString();
    const std::string wire = Frames(3);
    WriteFile(Path("units.api"), wire);
    const CliRun direct = RunExecutable({"convert", Path("units.api"), Path("direct.csv")});
    ASSERT_EQ(direct.status, 0) << direct.err;
    const std::string expected = ReadFile(Path("direct.csv")).toStdString();
    const auto read = [&](const std::string& name) { // by the name's own bytes
        std::string bytes;
        const int descriptor = ::open((folder + "/" + name).c_str(), O_RDONLY);
        char buffer[4096];
        for (long n; descriptor >= 0 && (n = ::read(descriptor, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, std::size_t(n));
        if (descriptor >= 0) ::close(descriptor);
        return bytes;
    };
    const auto isLink = [&](const std::string& name) {
        struct stat status {};
        return ::lstat((folder + "/" + name).c_str(), &status) == 0 && S_ISLNK(status.st_mode);
    };
    ASSERT_EQ(::symlink("mid.csv", (folder + "/top.csv").c_str()), 0);
    ASSERT_EQ(::symlink("sub/tgt.csv", (folder + "/mid.csv").c_str()), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    ASSERT_EQ(::mkfifo((folder + "/nobody.fifo").c_str(), 0600), 0);
    WriteFile(Path("stale.csv"), "old\r\n");

    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        std::string standardOutput; // the file it goes to, appended
        int status;
        const char* said; // on standard error, when it fails
        std::function<void()> check;
    };
    const Case cases[] = {
        {"standard output appended to the input",
         {"convert", "direct.csv", "-"}, folder + "/direct.csv", 1, "is the input file itself",
         [&] { EXPECT_EQ(read("direct.csv"), expected); }},
        {"/dev/stdout appended to the input",
         {"convert", "direct.csv", "/dev/stdout"}, folder + "/direct.csv", 1, "is the input file itself",
         [&] { EXPECT_EQ(read("direct.csv"), expected); }},
        {"/dev/stdout into a file",
         {"convert", "units.api", "/dev/stdout"}, folder + "/redirected.csv", 0, "",
         [&] { EXPECT_EQ(read("redirected.csv"), expected); }},
        {"a chain of symbolic links",
         {"convert", "units.api", "top.csv"}, "", 0, "",
         [&] {
             EXPECT_TRUE(isLink("top.csv"));
             EXPECT_TRUE(isLink("mid.csv"));
             EXPECT_EQ(read("sub/tgt.csv"), expected);
         }},
        {"a relative name that is not UTF-8",
         {"convert", "units.api", "out\xFF.csv"}, "", 0, "",
         [&] { EXPECT_EQ(read("out\xFF.csv"), expected); }},
        {"a pipe nobody reads",
         {"convert", "units.api", "nobody.fifo"}, "", 1, "nobody.fifo: cannot be written: is a pipe", [] {}},
        {"the temporary files of a killed conversion",
         {"convert", "units.api", "stale.csv"}, "", 0, "",
         [&] {
             EXPECT_EQ(read("stale.csv"), expected);
             EXPECT_TRUE(LeftOvers(dir.path()).isEmpty())
                 << LeftOvers(dir.path()).join(' ').toStdString();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(Path(".stale.csv.partial-999999-0"), std::string(4096, 'x'));
        std::string err;
        EXPECT_EQ(RunRawIn(folder, c.arguments, c.standardOutput, err), c.status) << err;
        EXPECT_NE(err.find(c.said), std::string::npos) << err;
        c.check();
    }
    // The inputs of the other commands are opened by their own bytes too.
    ASSERT_EQ(::rename((folder + "/direct.csv").c_str(), (folder + "/in\xFF.csv").c_str()), 0);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"seastate", "in\xFF.csv"},
          std::vector<std::string>{"analyze", "in\xFF.csv", "--device", "3"}}) {
        std::string err;
        (void)RunRawIn(folder, arguments, "", err);
        EXPECT_EQ(err.find("o such file"), std::string::npos) << arguments[0] << ": " << err;
    }
}

TEST_F(ConvertTest, AnInterruptedConversionLeavesNoTemporaryFileAndTheOutputAsItWas) {
    const std::string frames = Frames(64);
    std::string wire;
    while (wire.size() < 40'000'000)
        wire += frames;
    WriteFile(Path("large.api"), wire);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        WriteFile(Path("keep.csv"), "kept\r\n");
        QProcess process;
        process.start(UNDARIX_CLI_EXECUTABLE, {"convert", Path("large.api"), Path("keep.csv")});
        ASSERT_TRUE(process.waitForStarted(5000));
        // Until the temporary file has lines in it.
        const auto started = [&] {
            const QStringList partial = LeftOvers(dir.path());
            return !partial.isEmpty() && QFileInfo(Path(partial[0])).size() > 0;
        };
        ASSERT_TRUE(WaitUntil(started, 20000));
        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitStatus(), QProcess::CrashExit); // ended by the signal
        EXPECT_EQ(ReadFile(Path("keep.csv")), "kept\r\n");
        EXPECT_TRUE(LeftOvers(dir.path()).isEmpty());
    }
}

TEST_F(ConvertTest, AFullOutputDiskLeavesTheOutputAsItWasAndSaysNothingWasWritten) {
    SmallDisk disk(512);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Unavailable().toStdString();
    std::string wire;
    while (wire.size() < 2'000'000)
        wire += Frames(64);
    WriteFile(Path("large.api"), wire);
    WriteFile(disk.Path("keep.csv"), "kept\r\n");
    const CliRun run = RunExecutable({"convert", Path("large.api"), disk.Path("keep.csv")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("keep.csv: write failed: " + std::string(std::strerror(ENOSPC))),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("none written (" + disk.Path("keep.csv").toStdString() +
                           " is left as it was)"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadFile(disk.Path("keep.csv")), "kept\r\n");
    EXPECT_TRUE(LeftOvers(disk.Path(".")).isEmpty());
}

} // namespace
} // namespace undarix::testing
