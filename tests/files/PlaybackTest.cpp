#include "app/Wiring.h"
#include "chart/PlotPageRoles.h"
#include "core/Hooks.h"
#include "core/UnitKind.h"
#include "files/CaptureFile.h"
#include "files/FileFixture.h"
#include "files/LineReader.h"
#include "link/ReceivePath.h"
#include "link/SerialPort.h"
#include "link/codec/ApiFrame.h"
#include "live/FrameDispatch.h"
#include "support/CNumbers.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"
#include "ui/Timers.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

namespace undarix::testing {
namespace {

using namespace core;
using namespace live;
using Bytes = std::vector<std::uint8_t>;

// A receive packet from `address` carrying `text`.
Bytes ReceivePacket(std::uint64_t address, const std::string& text) {
    Bytes frame = {link::codec::kReceivePacket};
    for (int i = 7; i >= 0; --i)
        frame.push_back(std::uint8_t(address >> (8 * i)));
    frame.insert(frame.end(), {0xFF, 0xFE, 0x01});
    frame.insert(frame.end(), text.begin(), text.end());
    return frame;
}

Bytes Wire(const Bytes& frame) {
    std::uint8_t out[link::codec::kMaxEncodedFrame];
    const std::size_t n = link::codec::EncodeApiFrame(frame.data(), frame.size(), out);
    return Bytes(out, out + n);
}

std::string Text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string BlockLine(char kind, int device, int count, float value) {
    char header[40];
    std::snprintf(header, sizeof header, "%c%03d,S16,B0,2026-12-07T12:00:00", kind, device);
    std::string line = header;
    const std::string field = CPrintf(",%07.4f", double(value));
    for (int k = 0; k < count; ++k)
        line += field;
    return line + "\r\n";
}

class PlaybackTest : public FileFixture {
protected:
    void SetUp() override {
        FileFixture::SetUp();
        hooks.RxDataService = [this](std::uint8_t tenthFlag) {
            EXPECT_EQ(tenthFlag, 0);
            EXPECT_EQ(Program.FileRxStatus, 3);
            const int length = link::UartXbee.frameLength;
            served.emplace_back(link::RxFrame, link::RxFrame + length);
            EXPECT_EQ(link::RxFrame[length], link::codec::FrameChecksum(link::RxFrame, length));
            Program.FileRxStatus = 0; // as the dispatcher does when it returns
        };
        hooks.PlotData = [this](int slot) { plotted.push_back(OutputLine[slot].deviceNumber); };
        hooks.PlotContData = [this](int slot) { plotted.push_back(OutputLine[slot].deviceNumber); };
        hooks.ChartReset = [this] { ++chartResets; };
        hooks.StopPlotting = [this] { ++stops; };
    }

    void Capture(const Bytes& wire) {
        for (std::uint8_t byte : wire)
            CallHook(hooks.CaptureByte, byte);
    }
    void StartCapture(const QString& name) {
        popups->ExpectFile("Save API Frame Data To:",
                           {ui::FileSelection::Status::NewFile, Path(name)});
        ui::Dispatch(menu::SaveApiFrameData, ui::Event::Commit);
    }

    std::vector<Bytes> served;
    std::vector<int> plotted;
    int chartResets = 0;
    int stops = 0;
};

TEST_F(PlaybackTest, ACaptureFilePlaysBackTheFramesThatWereReceived) {
    // Texts and addresses with bytes that travel escaped.
    const std::vector<Bytes> frames = {
        ReceivePacket(0x0013A2004011137D, "C001,D1,S08,01234"),
        ReceivePacket(0x0013A200407E1311,
                      "A002,S32,B0,2026-12-07T12:00:00\x01" + std::string(192, '\x7E')),
        {0x88, 0x01, 'I', 'D', 0x00, 0x7D, 0x33},
        ReceivePacket(0x0013A20040000003, std::string("I003,S16,B0,2026-12-07T12:00:00\x01") +
                                              std::string(128, '\x13')),
    };
    Bytes wire = {'n', 'o', 'i', 's', 'e'};
    for (const Bytes& frame : frames) {
        const Bytes encoded = Wire(frame);
        wire.insert(wire.end(), encoded.begin(), encoded.end());
        wire.insert(wire.end(), {0x00, 0x11}); // bytes between frames
    }
    StartCapture("units.api");
    EXPECT_TRUE(ui::IsVisible(mainpanel::CaptureIndicator));
    Capture(wire);
    ui::Dispatch(menu::StopSavingApiFrameData, ui::Event::Commit);
    EXPECT_FALSE(ui::IsVisible(mainpanel::CaptureIndicator));
    // Stored as received: escapes and all.
    ASSERT_EQ(ReadAll(Path("units.api")).toStdString(), Text(wire));

    Play(Path("units.api"));
    EXPECT_EQ(Program.OpenFileType, 1);
    stops = 0;
    PlayToEnd();
    EXPECT_EQ(served, frames);
    EXPECT_EQ(stops, 1);
}

TEST_F(PlaybackTest, BadLengthsAndChecksumsAreSkippedToTheNextStart) {
    const Bytes good = ReceivePacket(0x42, "C066,D1,S08,01000");
    Bytes badChecksum = Wire(ReceivePacket(0x43, "C067,D1,S08,01000"));
    badChecksum.back() ^= 0x01;
    Bytes wire = {0x7E, 0x00, 0x04, 0x90, 0x01, 0x02, 0x03, 0x6B}; // length 4
    const Bytes first = Wire(good);
    wire.insert(wire.end(), first.begin(), first.end());
    wire.insert(wire.end(), {0x7E, 0x01, 0x00, 0x90, 0x00, 0x00}); // length 256
    wire.insert(wire.end(), badChecksum.begin(), badChecksum.end());
    wire.insert(wire.end(), first.begin(), first.end());
    WriteAll(Path("bad.api"),
             QByteArray(reinterpret_cast<const char*>(wire.data()), int(wire.size())));
    Play(Path("bad.api"));
    PlayToEnd();
    EXPECT_EQ(served, (std::vector<Bytes>{good, good}));
}

TEST_F(PlaybackTest, BytesOfWiredKindsAreNeverCaptured) {
    StartCapture("wired.api");
    for (int kind : {3, 4, 5, 6, 7}) {
        Program.UnitType = kind;
        Capture({0x7E, 0x01});
    }
    Program.UnitType = 1;
    const Bytes transmitStatus = {0x7E, 0x00, 0x05, 0x8B, 0x01, 0xFF, 0xFE, 0x00, 0x76};
    Capture(transmitStatus);
    ui::Dispatch(menu::StopSavingApiFrameData, ui::Event::Commit);
    EXPECT_EQ(ReadAll(Path("wired.api")),
              QByteArray(reinterpret_cast<const char*>(transmitStatus.data()),
                         qsizetype(transmitStatus.size())));
}

TEST_F(PlaybackTest, ACaptureWriteThatFailsTurnsTheIndicatorRed) {
    popups->ExpectFile("Save API Frame Data To:",
                       {ui::FileSelection::Status::ExistingFile, "/dev/full"});
    popups->ExpectConfirm("Confirm Save File", true);
    ui::Dispatch(menu::SaveApiFrameData, ui::Event::Commit);
    ASSERT_EQ(Program.APIFrameDataFileOpen, 1);
    Capture({0x7E});
    EXPECT_EQ(ui::GetTextColor(mainpanel::CaptureIndicator), ui::kRed);
    EXPECT_TRUE(ui::IsDimmed(menu::SaveApiFrameData));

    popups->ExpectFile("Save API Frame Data To:",
                       {ui::FileSelection::Status::NewFile, Path("x/y.api")});
    popups->ExpectMessage("FILE OPEN ERROR");
    ui::Dispatch(menu::StopSavingApiFrameData, ui::Event::Commit);
    ui::Dispatch(menu::SaveApiFrameData, ui::Event::Commit);
    EXPECT_EQ(Program.APIFrameDataFileOpen, 0);
    EXPECT_FALSE(ui::IsVisible(mainpanel::CaptureIndicator));
    EXPECT_FALSE(ui::IsDimmed(menu::SaveApiFrameData));
}

TEST_F(PlaybackTest, HeaderLinesAndLinesOfTheWrongLengthAreNotPlotted) {
    const std::string cut = BlockLine('A', 2, 32, 1.0f).substr(0, 200) + "\r\n";
    WriteAll(Path("data.csv"),
             QByteArray::fromStdString("Date,Time,Flow,Comment: Intensive\r\n" +
                                       BlockLine('A', 1, 32, 1.5f) + cut + "\r\n\n" +
                                       BlockLine('I', 3, 64, -2.0f) + BlockLine('i', 4, 60, 0.25f) +
                                       BlockLine('f', 5, 60, 9.5f) + BlockLine('f', 6, 59, 9.5f)));
    Play(Path("data.csv"));
    PlayToEnd();
    EXPECT_EQ(plotted, (std::vector<int>{1, 3, 4, 5}));
    // The cut line only updated its header fields.
    const OutputLineRecord& second = OutputLine[GetOutputLineLoc(2)];
    EXPECT_EQ(second.sampleCount, 0);
    EXPECT_EQ(second.lastValue, 0.0f);
    EXPECT_STREQ(second.timeStamp, "2026-12-07T12:00:00");
    const OutputLineRecord& sixth = OutputLine[GetOutputLineLoc(6)];
    EXPECT_EQ(sixth.sampleCount, 0);
    EXPECT_EQ(WorkValue[0], 9.5f); // from the last complete line
    EXPECT_EQ(OutputLine[GetOutputLineLoc(4)].lastValue, 0.25f);
    EXPECT_EQ(OutputLine[GetOutputLineLoc(4)].offsetTime, 3750);
}

TEST_F(PlaybackTest, LinesLongerThanTheLineBufferAreDropped) {
    WriteAll(Path("long.csv"), QByteArray::fromStdString("A007" + std::string(3000, '5') + "\r\n" +
                                                         BlockLine('A', 1, 32, 1.5f)));
    Play(Path("long.csv"));
    PlayToEnd();
    EXPECT_EQ(plotted, std::vector<int>{1});
    for (const OutputLineRecord& record : OutputLine)
        EXPECT_NE(record.deviceNumber, 7);
}

TEST_F(PlaybackTest, DeviceNumberZeroGetsARecordOfItsOwn) {
    WriteAll(Path("zero.csv"),
             QByteArray::fromStdString("C000,D1,S04,01.5000\r\nC   ,D1,S04,02.5\r\n" +
                                       BlockLine('A', 1, 32, 1.5f)));
    Play(Path("zero.csv"));
    PlayToEnd();
    EXPECT_EQ(plotted, (std::vector<int>{0, 0, 1}));
    const int slot = GetOutputLineLoc(files::kDeviceZeroAddress);
    EXPECT_EQ(slot, 0);
    EXPECT_EQ(OutputLine[slot].lastValue, 2.5f);
    EXPECT_EQ(OutputLine[slot].sampleCount, 2);
    EXPECT_EQ(GetOutputLineLoc(1), 1);
}

TEST_F(PlaybackTest, SingleValueRecordsFillTheirFields) {
    WriteAll(Path("c.csv"), "C012,D8,2026-12-07\r\nC012,D9,13:14:15\r\nC012,D7,L\r\n"
                            "C012,D4,12.5\r\nC012,D1,S08,-0.1250\r\n");
    Play(Path("c.csv"));
    PlayToEnd();
    const OutputLineRecord& record = OutputLine[GetOutputLineLoc(12)];
    EXPECT_STREQ(record.timeStamp, "2026-12-07T13:14:15");
    EXPECT_EQ(record.batteryStatus, '2');
    EXPECT_EQ(record.airTemperature, 12.5f);
    EXPECT_EQ(record.lastValue, -0.125f);
    EXPECT_EQ(record.sampleCount, 1);
    EXPECT_EQ(record.sampleRate, 8);
    EXPECT_EQ(record.deviceNumber, 12);
}

// An exported spectrum is a CSV too, but no data file: none of its lines is a unit's.
TEST_F(PlaybackTest, ACsvThatIsNoDataFileSaysItHoldsNoDataLine) {
    WriteAll(Path("spectrum.csv"), "Frequency (Hz),Value (M^2/Hz)\r\n0.0100,0.2500\r\n"
                                   "Feet,1\r\nA12,S32\r\nC0x1,D1,S08,01234\r\n");
    Play(Path("spectrum.csv"));
    PlayToEnd();
    EXPECT_EQ(files::Files.playback.served, 0u);
    for (const OutputLineRecord& record : OutputLine)
        EXPECT_EQ(record.address, 0u);
    EXPECT_TRUE(ui::LastStatus().startsWith("No data line found in spectrum.csv"))
        << ui::LastStatus().toStdString();
}

TEST_F(PlaybackTest, AnUnconvertedFlashCardFileIsRefusedOnce) {
    WriteAll(Path("card.csv"), QByteArray::fromStdString("Y" + BlockLine('A', 1, 32, 1.5f) +
                                                         BlockLine('A', 2, 32, 1.5f)));
    popups->ExpectMessage("FILE TYPE ERROR");
    Play(Path("card.csv"));
    PlayToEnd();
    EXPECT_TRUE(plotted.empty());
    EXPECT_EQ(Program.OpenCVSFileStatus, 2);
}

TEST_F(PlaybackTest, TheEndOfTheFileStopsPlottingAndKeepsTheFileOpen) {
    WriteAll(Path("short.csv"), QByteArray::fromStdString(BlockLine('A', 1, 32, 1.5f)));
    Play(Path("short.csv"));
    stops = 0;
    EXPECT_EQ(PlayToEnd(), 2);
    EXPECT_EQ(Program.PlottingRunning, 0);
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(ui::LastStatus().startsWith("End of short.csv reached"))
        << ui::LastStatus().toStdString();
    EXPECT_EQ(Program.FileOpen, 1);
    EXPECT_FALSE(ui::IsDimmed(menu::CloseFile));
    // Starting again reads nothing more until the position is moved back.
    Program.PlottingRunning = 1;
    ui::TickTimer(timer::ReadFile);
    EXPECT_EQ(Program.PlottingRunning, 0);
    EXPECT_EQ(plotted.size(), 1u);
    ui::SetInt(mainpanel::PlaybackPosition, 0);
    ui::Dispatch(mainpanel::PlaybackPosition, ui::Event::Commit);
    Program.PlottingRunning = 1;
    PlayToEnd();
    EXPECT_EQ(plotted.size(), 2u);
}

TEST_F(PlaybackTest, StepsBackwardStopAtTheStart) {
    WriteAll(Path("half.csv"), QByteArray(512, '\n'));
    Play(Path("half.csv"));
    ui::TickTimer(timer::ReadFile);
    EXPECT_EQ(Program.FileLocation, 512);
    ui::SetReal(mainpanel::PlaybackSpeed, -1.0);
    ui::Dispatch(mainpanel::PlaybackSpeed, ui::Event::Commit);
    EXPECT_EQ(Program.FileReadBackwards, 1);
    for (int tick = 0; tick < 3; ++tick) {
        ui::TickTimer(timer::ReadFile);
        EXPECT_EQ(Program.FileLocation, 0);
        EXPECT_EQ(ui::GetInt(mainpanel::PlaybackPosition), 0);
    }
    EXPECT_EQ(Program.PlottingRunning, 1);
    EXPECT_GE(chartResets, 3);
}

TEST_F(PlaybackTest, SpeedSetsTheReadIntervalAndZeroPauses) {
    WriteAll(Path("s.csv"), "\n");
    Play(Path("s.csv"));
    EXPECT_EQ(ui::GetTimerInterval(timer::ReadFile), 1.0);
    EXPECT_TRUE(ui::IsTimerEnabled(timer::ReadFile));
    struct Case {
        double speed;
        double interval;
        bool enabled;
        int backwards;
    };
    for (const Case& c : {Case{10, 0.1, true, 0},
                          {0, 0.1, false, 0},
                          {-2, 0.5, true, 1},
                          {0, 0.5, false, 0},
                          {4, 0.25, true, 0}}) {
        ui::SetReal(mainpanel::PlaybackSpeed, c.speed);
        ui::Dispatch(mainpanel::PlaybackSpeed, ui::Event::Commit);
        EXPECT_DOUBLE_EQ(ui::GetTimerInterval(timer::ReadFile), c.interval) << c.speed;
        EXPECT_EQ(ui::IsTimerEnabled(timer::ReadFile), c.enabled) << c.speed;
        EXPECT_EQ(Program.FileReadBackwards, c.backwards) << c.speed;
    }
}

TEST_F(PlaybackTest, AJumpStartsAtTheNextWholeLine) {
    std::string lines;
    for (int device = 1; device <= 8; ++device)
        lines += BlockLine('A', device, 32, float(device));
    WriteAll(Path("jump.csv"), QByteArray::fromStdString(lines)); // 289 bytes a line
    Play(Path("jump.csv"));
    ui::TickTimer(timer::ReadFile); // three lines and part of the fourth
    EXPECT_EQ(plotted, (std::vector<int>{1, 2, 3}));
    ui::SetInt(mainpanel::PlaybackPosition, 2); // inside the eighth line (2023 to 2311)
    ui::Dispatch(mainpanel::PlaybackPosition, ui::Event::Commit);
    EXPECT_EQ(Program.FileLocation, 2048);
    PlayToEnd();
    // No splice of the fourth line's head and the eighth line's tail.
    EXPECT_EQ(plotted, (std::vector<int>{1, 2, 3}));
    for (const OutputLineRecord& record : OutputLine)
        EXPECT_NE(record.deviceNumber, 4);
}

// Turning the speed's sign moves nothing: the line being read goes on. A step back does move
// the position, and reading starts afresh at a whole line there.
TEST_F(PlaybackTest, AChangeOfDirectionAloneKeepsTheLineBeingRead) {
    std::string lines;
    for (int device = 1; device <= 8; ++device)
        lines += BlockLine('A', device, 32, float(device));
    WriteAll(Path("turn.csv"), QByteArray::fromStdString(lines)); // 289 bytes a line
    auto speed = [](double kilobytes) {
        ui::SetReal(mainpanel::PlaybackSpeed, kilobytes);
        ui::Dispatch(mainpanel::PlaybackSpeed, ui::Event::Commit);
    };
    struct Case {
        const char* what;
        bool stepBack;
        std::vector<int> plotted;
    };
    const Case cases[] = {
        {"sign changed twice", false, {1, 2, 3, 4, 5, 6, 7}},
        {"one step back", true, {1, 2, 3, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Play(Path("turn.csv"));
        plotted.clear();
        ui::TickTimer(timer::ReadFile); // three lines and part of the fourth
        ASSERT_EQ(plotted, (std::vector<int>{1, 2, 3}));
        speed(-1.0);
        if (c.stepBack) ui::TickTimer(timer::ReadFile);
        speed(1.0);
        ui::TickTimer(timer::ReadFile);
        EXPECT_EQ(plotted, c.plotted);
    }
}

// Lines are found after a byte-order mark and after blanks or tabs; a header line still starts
// none, and a file that yields no line at all says so.
TEST_F(PlaybackTest, IndentedLinesAndAByteOrderMarkPlay) {
    WriteAll(Path("bom.csv"),
             QByteArray::fromStdString(
                 "\xEF\xBB\xBF" + BlockLine('A', 1, 32, 1.5f) + "  " + BlockLine('A', 2, 32, 1.5f) +
                 "\t" + BlockLine('I', 3, 64, 1.5f) + " \t " + "C004,D1,S08,01.5000\r\n" +
                 "Date,Time,Flow\r\n" + "   " + BlockLine('f', 5, 60, 1.5f)));
    Play(Path("bom.csv"));
    PlayToEnd();
    EXPECT_EQ(plotted, (std::vector<int>{1, 2, 3, 4, 5}));
    for (int device : {1, 2, 3, 4, 5})
        EXPECT_EQ(OutputLine[GetOutputLineLoc(std::uint64_t(device))].lastValue, 1.5f) << device;
    EXPECT_FALSE(ui::LastStatus().contains("No data line"));

    // An unconverted flash-card file behind a byte-order mark is still recognised.
    WriteAll(Path("card.csv"),
             QByteArray::fromStdString("\xEF\xBB\xBFY" + BlockLine('A', 1, 32, 1.5f)));
    popups->ExpectMessage("FILE TYPE ERROR");
    Play(Path("card.csv"));
    PlayToEnd();
    EXPECT_EQ(Program.OpenCVSFileStatus, 2);

    struct Case {
        const char* name;
        const char* bytes;
        const char* status;
    };
    const Case cases[] = {
        {"header.csv", "Date,Time,Flow\r\n12.5,3,4\r\n", "No data line found in header.csv"},
        {"empty.api", "\x7E\x01\x02", "No API frame with a good length and checksum"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteAll(Path(c.name), c.bytes);
        Play(Path(c.name));
        PlayToEnd();
        EXPECT_TRUE(ui::LastStatus().startsWith(c.status)) << ui::LastStatus().toStdString();
    }
}

TEST_F(PlaybackTest, OpeningChecksTheTypeAndClosesThePreviousFile) {
    WriteAll(Path("a.CSV"), "\n");
    WriteAll(Path("b.API"), "\n");
    WriteAll(Path("c.txt"), "\n");
    Play(Path("a.CSV"));
    EXPECT_EQ(Program.FileOpen, 1);
    EXPECT_EQ(Program.OpenFileType, 2);
    EXPECT_EQ(ui::GetText(mainpanel::PlaybackFileName), Path("a.CSV"));
    EXPECT_FALSE(ui::IsDimmed(mainpanel::PlaybackSpeed));

    for (const char* name : {"b.API", "c.txt"}) {
        popups->ExpectMessage("WRONG FILE TYPE");
        files::OpenFile2PlotPath(Path(name));
        EXPECT_EQ(Program.FileOpen, 0) << name;
        EXPECT_TRUE(ui::IsDimmed(menu::CloseFile));
        EXPECT_EQ(ui::GetText(mainpanel::PlaybackFileName), "");
        EXPECT_FALSE(ui::IsTimerEnabled(timer::ReadFile));
    }
    EXPECT_EQ(delays, std::vector<double>{0.6}); // only an open file is waited for
    // With no file open the timer reads nothing.
    Program.PlottingRunning = 1;
    ui::TickTimer(timer::ReadFile);
    EXPECT_EQ(Program.PlottingRunning, 1);

    popups->ExpectMessage("FILE OPEN ERROR");
    files::OpenFile2PlotPath(Path("missing.csv"));
    EXPECT_EQ(Program.FileOpen, 0);
    EXPECT_TRUE(ui::IsDimmed(menu::CloseFile));

    // A path that does not fit the name buffer is refused, and the open file stays open.
    Play(Path("a.CSV"));
    popups->ExpectMessage("FILE NAME TOO LONG");
    files::OpenFile2PlotPath(Path(QString(260, 'n') + ".csv"));
    EXPECT_EQ(Program.FileOpen, 1);
    EXPECT_EQ(ui::GetText(mainpanel::PlaybackFileName), Path("a.CSV"));
}

TEST_F(PlaybackTest, OpeningInFileModeEmptiesTheTableAndStopsPlotting) {
    (void)GetOutputLineLoc(0x0013A20040000001);
    WriteAll(Path("a.csv"), QByteArray(3000, '\n'));
    Program.PlottingRunning = 1;
    Play(Path("a.csv"));
    for (const OutputLineRecord& record : OutputLine)
        EXPECT_EQ(record.address, 0u);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(chartResets, 1);
    EXPECT_EQ(Program.FileOpenSize, 3000);
    EXPECT_EQ(ui::GetMaximum(mainpanel::PlaybackPosition), 2);
}

TEST_F(PlaybackTest, ClosingWaitsForTheTickAndResetsTheControls) {
    WriteAll(Path("a.csv"), QByteArray(5000, '\n'));
    Play(Path("a.csv"));
    ui::Dispatch(menu::CloseFile, ui::Event::Commit);
    EXPECT_EQ(delays, std::vector<double>{0.6});
    EXPECT_EQ(Program.FileOpen, 0);
    EXPECT_FALSE(files::Files.playback.OpenFileHandle.isOpen());
    EXPECT_TRUE(ui::IsDimmed(menu::CloseFile));
    EXPECT_TRUE(ui::IsDimmed(mainpanel::PlaybackSpeed));
    EXPECT_TRUE(ui::IsDimmed(mainpanel::PlaybackPosition));
    EXPECT_EQ(ui::GetMaximum(mainpanel::PlaybackPosition), 100);
    EXPECT_FALSE(ui::IsTimerEnabled(timer::ReadFile));
    ui::Dispatch(menu::CloseFile, ui::Event::Commit); // nothing open: nothing to wait for
    EXPECT_EQ(delays.size(), 1u);
}

TEST_F(PlaybackTest, TheProgramsClosingStepsCloseEveryFile) {
    StartLogging("site.csv");
    StartCapture("units.api");
    WriteAll(Path("a.csv"), "\n");
    Play(Path("a.csv"));
    app::ClosePlaybackFile();
    app::CloseDataFile();
    app::CloseCaptureFile();
    EXPECT_FALSE(files::Files.playback.OpenFileHandle.isOpen());
    EXPECT_FALSE(files::Files.data.SaveOutputDataHandle.IsOpen());
    EXPECT_FALSE(files::Files.capture.SaveAPIFrameDataHandle.IsOpen());
    EXPECT_EQ(Program.FileOpen + Program.OutputDataFileOpen + Program.APIFrameDataFileOpen, 0);
    EXPECT_FALSE(ui::IsVisible(mainpanel::LoggingIndicator));
    EXPECT_FALSE(ui::IsVisible(mainpanel::CaptureIndicator));
}

// The read timer shows the position every tick; while the user types a new one the field is
// theirs, and Enter jumps there.
TEST_F(PlaybackTest, ThePositionBeingTypedIsKeptUntilEnter) {
    WriteAll(Path("long.csv"), QByteArray(10 * 1024, '\n'));
    Play(Path("long.csv"));
    auto* position = ui::Widget<QSpinBox>(mainpanel::PlaybackPosition);
    ASSERT_NE(position, nullptr);
    ui::TickTimer(timer::ReadFile);
    ASSERT_EQ(ui::GetInt(mainpanel::PlaybackPosition), 1);

    position->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(position, "7");
    EXPECT_EQ(ui::GetTextColor(mainpanel::PlaybackPosition), ui::kRed);
    EXPECT_TRUE(ui::IsVisible(mainpanel::EditHint));
    EXPECT_EQ(ui::GetText(mainpanel::EditHint),
              "Editing: press Enter to jump to that kilobyte of the file");
    for (int tick = 0; tick < 3; ++tick)
        ui::TickTimer(timer::ReadFile);
    EXPECT_EQ(position->text(), "7") << "the ticks left the typed text alone";
    EXPECT_EQ(Program.FileLocation, 4 * 1024) << "reading went on meanwhile";

    QTest::keyClick(position, Qt::Key_Return);
    EXPECT_EQ(Program.FileLocation, 7 * 1024);
    EXPECT_EQ(ui::GetTextColor(mainpanel::PlaybackPosition), ui::kBlack);
    EXPECT_FALSE(ui::IsVisible(mainpanel::EditHint));
    ui::TickTimer(timer::ReadFile);
    EXPECT_EQ(ui::GetInt(mainpanel::PlaybackPosition), 8) << "the ticks show it again";
}

// After Open File to Plot the status bar tells what to do next, by the data source.
TEST_F(PlaybackTest, OpeningSaysWhatToDoNext) {
    WriteAll(Path("a.csv"), "\n");
    struct Case {
        int source;
        const char* next;
    };
    const Case cases[] = {
        {kSourceSerialPort,
         "To play it, set Data source to File on the Chart page and press Start Plotting."},
        {kSourceFile, "Press Start Plotting on the Chart page to play it."},
    };
    for (const Case& c : cases) {
        Program.DataSource = c.source;
        files::OpenFile2PlotPath(Path("a.csv"));
        EXPECT_EQ(ui::LastStatus(), "File open for playback: " + Path("a.csv") + ". " + c.next);
    }
}

} // namespace
// A logger plays a capture while its units go on sending. Model: every live frame (some cut in
// two by a read tick) must give exactly one line in the data file and on the output port, and
// its raw bytes in the capture; nothing played may reach any of them. The file's unit is
// shown and plotted, the port's are not, and they come back with their zero reference.
TEST_F(PlaybackTest, AFilePlayedWhileLoggingNeverReachesTheLogAndThePortsUnitsGoOn) {
    hooks.RxDataService = live::RxDataService;
    const std::uint64_t liveAddress = 0x0013A20040000001;
    const auto liveWire = [&](int n) {
        return Text(Wire(ReceivePacket(liveAddress, CPrintf("C001,D1,S08,%05d", 1000 + n))));
    };
    Bytes old;
    for (int n = 0; n < 200; ++n) {
        const Bytes wire = Wire(ReceivePacket(0x0013A20040000009, CPrintf("C009,D1,S08,%05d", n)));
        old.insert(old.end(), wire.begin(), wire.end());
    }
    WriteAll(Path("old.api"), QByteArray(reinterpret_cast<const char*>(old.data()), old.size()));

    Program.UnitType = core::RavoZerarXB;
    ASSERT_TRUE(IsRadioKind(Program.UnitType));
    const int unitPort = link::PortNumberForPath("mem:adapter");
    const int outPort = link::PortNumberForPath("mem:stream");
    ASSERT_EQ(link::OpenComConfig(unitPort, 115200), 0);
    ASSERT_EQ(link::OpenComConfig(outPort, 115200), 0);
    link::InstallComCallback(unitPort, link::kRxCharEvent, link::ComCallback);
    Program.OpenComPortNum = unitPort;
    Program.OpenComPortOutPutNum = outPort;
    StartLogging("live.csv");
    StartCapture("live.api");

    std::string sentLive;
    int liveFrames = 0;
    const auto send = [&](const std::string& bytes) {
        link::MemoryPortReceive(unitPort, bytes);
        sentLive += bytes;
    };
    send(liveWire(liveFrames++));
    const int liveSlot = GetOutputLineLoc(liveAddress);
    OutputLine[liveSlot].zeroMode = 1;
    OutputLine[liveSlot].zeroOffset = 0.5f;
    send(liveWire(liveFrames++));

    ui::SetInt(chart::roles::PlotSourceSelect, 1);
    ui::Dispatch(chart::roles::PlotSourceSelect, ui::Event::Commit);
    Play(Path("old.api"));
    plotted.clear();
    for (int tick = 0; Program.PlottingRunning && tick < 100; ++tick) {
        const std::string next = liveWire(liveFrames++);
        send(next.substr(0, 7)); // a live frame cut by the read tick
        ui::TickTimer(core::timer::ReadFile);
        send(next.substr(7));
        EXPECT_EQ(OutputLine[0].deviceNumber, 9) << "the played unit is shown";
        EXPECT_EQ(OutputLine[1].address, 0u) << "and it alone";
    }
    EXPECT_EQ(files::Files.playback.served, 200u);
    EXPECT_FALSE(plotted.empty());
    EXPECT_TRUE(std::all_of(plotted.begin(), plotted.end(), [](int d) { return d == 9; }));

    ui::SetInt(chart::roles::PlotSourceSelect, 0);
    ui::Dispatch(chart::roles::PlotSourceSelect, ui::Event::Commit);
    ASSERT_NE(OutputLine[0].address, 0u);
    EXPECT_EQ(OutputLine[0].address, liveAddress);
    EXPECT_EQ(OutputLine[0].zeroMode, 1);
    send(liveWire(liveFrames++));
    ui::Dispatch(menu::StopSavingOutputData, ui::Event::Commit);
    ui::Dispatch(menu::StopSavingApiFrameData, ui::Event::Commit);

    const QByteArray logged = ReadAll(Path("live000.csv"));
    const QList<QByteArray> lines = logged.split('\n');
    ASSERT_EQ(lines.size(), liveFrames + 1) << logged.left(400).toStdString();
    for (int n = 0; n < liveFrames; ++n)
        EXPECT_TRUE(lines[n].startsWith("C001,D1,S08,")) << n << ": " << lines[n].toStdString();
    EXPECT_FALSE(logged.contains("C009"));
    EXPECT_EQ(link::MemoryPortTakeWritten(outPort), logged.toStdString());
    EXPECT_EQ(ReadAll(Path("live.api")).toStdString(), sentLive);
}

} // namespace undarix::testing
