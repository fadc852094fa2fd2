// Units put on the chart as they are heard ("Bind new units to free traces"), live and from a
// played file, and the status line when a trace loses its unit.

#include "chart/ChartState.h"
#include "chart/GraphPlots.h"
#include "chart/PacketFeed.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "files/Playback.h"
#include "link/ReceiveState.h"
#include "live/FrameDispatch.h"
#include "support/CNumbers.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/StatusMessage.h"
#include "ui/Timers.h"

#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace undarix::testing {
namespace {

using chart::DrawnRuns;
using chart::PointRun;
using core::Program;
using Runs = std::vector<PointRun>;
namespace roles = chart::roles;

std::uint64_t AddressOf(int device) {
    return 0x0013A20040000000ull + std::uint64_t(device);
}

std::string Int16s(int count, int value) {
    std::string s;
    for (int k = 0; k < count; ++k) {
        s += char(value & 0xFF);
        s += char((value >> 8) & 0xFF);
    }
    return s;
}

class TraceBindingTest : public PanelTest {
protected:
    // A frame from the unit with this device number, through the real dispatcher.
    static void Hear(int device, const std::string& text) {
        std::string frame = "\x90";
        for (int i = 7; i >= 0; --i)
            frame += char(AddressOf(device) >> (8 * i));
        frame += std::string("\xFF\xFE\x41", 3) + text;
        std::memcpy(link::RxFrame, frame.data(), frame.size());
        link::UartXbee.frameLength = int(frame.size());
        live::RxDataService(0);
    }
    static void HearSample(int device) {
        char text[32];
        std::snprintf(text, sizeof text, "C%03d,D1,S08,01234\r\n", device);
        Hear(device, text);
    }
    // A 64-sample block at 16 Hz stamped `second` seconds after 12:00:00.
    static void HearBlock(int device, int second) {
        char header[48];
        std::snprintf(header, sizeof header, "I%03d,S16,B0,2026-12-07T12:00:%02d,,", device,
                      second);
        Hear(device, header + Int16s(64, 1500));
    }
    static void Commit(ui::Role role) { ui::Dispatch(role, ui::Event::Commit); }
    static void Press(ui::Role role, int on) {
        ui::SetInt(role, on);
        Commit(role);
    }
    static std::array<int, 4> FirstFourTraces() {
        std::array<int, 4> numbers{};
        for (int t = 0; t < 4; ++t)
            numbers[t] = ui::GetInt(TraceNumeric(t));
        return numbers;
    }
};

TEST_F(TraceBindingTest, EachUnitHeardTakesTheLowestFreeTrace) {
    struct Case {
        const char* name;
        bool bindNewUnits;
        int userTrace; // a trace the user put a unit on first, -1 for none
        int userDevice;
        std::vector<int> heard;
        std::array<int, 4> traces;
    };
    const Case cases[] = {
        {"in the order heard", true, -1, 0, {5, 3, 9}, {5, 3, 9, 0}},
        {"a unit heard again keeps its trace", true, -1, 0, {5, 3, 5, 3, 9}, {5, 3, 9, 0}},
        {"a unit the user placed stays", true, 2, 3, {5, 3, 9}, {5, 9, 3, 0}},
        {"device number 0 goes on no trace", true, -1, 0, {0, 4}, {4, 0, 0, 0}},
        {"the switch off binds nothing", false, -1, 0, {5, 3}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        live::ClearAllOutputLines();
        for (int t = 0; t < chart::kTraceCount; ++t)
            ChooseDevice(t, 0);
        chart::ChartReset();
        Press(roles::BindNewUnits, c.bindNewUnits ? 1 : 0);
        if (c.userTrace >= 0) {
            Press(roles::BindNewUnits, 0);
            HearSample(c.userDevice);
            ChooseDevice(c.userTrace, c.userDevice);
            Commit(TraceNumeric(c.userTrace));
            Press(roles::BindNewUnits, c.bindNewUnits ? 1 : 0);
        }
        for (int device : c.heard)
            HearSample(device);
        EXPECT_EQ(FirstFourTraces(), c.traces);
        for (int t = 0; t < 4; ++t)
            EXPECT_EQ(chart::ChartFifo[t].deviceNumber, c.traces[t]) << "trace " << t + 1;
    }
}

// A unit that joins while the chart runs is drawn from its first packet on; the traces already
// drawn keep their points and the chart its start.
TEST_F(TraceBindingTest, AUnitJoiningWhilePlottingLeavesTheOtherTracesAlone) {
    Press(roles::RawStartStop, 1);
    HearBlock(4, 0);
    ASSERT_EQ(ui::GetInt(TraceNumeric(0)), 4);
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 63}}));
    const QString start = ui::GetText(roles::StartTimeText);

    HearBlock(6, 4);
    EXPECT_EQ(ui::GetInt(TraceNumeric(1)), 6);
    EXPECT_EQ(ui::LastStatus(), "Trace 2 shows device 6");
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 63}}));
    EXPECT_DOUBLE_EQ(chart::ChartFifo[0].values[0], 1.5);
    EXPECT_EQ(DrawnRuns(1), (Runs{{64, 127}}));
    EXPECT_EQ(ui::GetText(roles::StartTimeText), start);

    HearBlock(4, 4);
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 127}}));
}

TEST_F(TraceBindingTest, ATraceClearedBecauseItsUnitLeftTheTableIsSaidOnce) {
    HearSample(5);
    HearSample(7);
    ASSERT_EQ(FirstFourTraces(), (std::array<int, 4>{5, 7, 0, 0}));

    // The user names a unit the table does not hold.
    ChooseDevice(2, 9);
    Commit(TraceNumeric(2));
    EXPECT_EQ(ui::GetInt(TraceNumeric(2)), 0);
    EXPECT_EQ(ui::LastStatus(), "Trace 3: device 9 is not in the table; trace cleared");

    // The played file ended and its units dropped out of the table: the next Start Plotting
    // says which traces it cleared, in one line.
    live::ClearAllOutputLines();
    Press(roles::RawStartStop, 1);
    EXPECT_EQ(ui::LastStatus(), "Trace 1: device 5 is not in the table; trace cleared. "
                                "Trace 2: device 7 is not in the table; trace cleared");
    EXPECT_EQ(FirstFourTraces(), (std::array<int, 4>{0, 0, 0, 0}));

    // Once: traces already free are not cleared again.
    ui::ShowStatus("something else");
    Press(roles::RawStartStop, 0);
    Press(roles::RawStartStop, 1);
    EXPECT_EQ(ui::LastStatus(), "something else");

    // The units heard again take their traces back.
    HearSample(7);
    HearSample(5);
    EXPECT_EQ(FirstFourTraces(), (std::array<int, 4>{7, 5, 0, 0}));
}

// A data file with a few 8 Hz blocks of each device.
QString WriteDataFile(const QTemporaryDir& dir, const QString& name,
                      std::initializer_list<int> devices) {
    std::string text;
    for (int second = 0; second < 4; ++second)
        for (int device : devices) {
            char header[40];
            std::snprintf(header, sizeof header, "A%03d,S08,B0,2026-12-07T12:00:%02d", device,
                          second * 4);
            text += header;
            for (int k = 0; k < 32; ++k)
                text += CPrintf(",%07.4f", 1.25 + device);
            text += "\r\n";
        }
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(text.data(), qint64(text.size()));
    return path;
}

// With binding off the user chose the unit of Trace 1; closing the file and opening another
// keeps the choice, the page says the trace waits, and the unit shows once the file plays.
// A trace the program bound is cleared, and the page says so past the next message.
TEST_F(TraceBindingTest, AUnitChosenByHandStaysOnItsTraceAcrossFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString first = WriteDataFile(dir, "first.csv", {2, 8});
    const QString second = WriteDataFile(dir, "second.csv", {8, 2});

    Press(roles::PlotSourceSelect, core::kSourceFile);
    files::OpenFile2PlotPath(first);
    Press(roles::RawStartStop, 1);
    ui::TickTimer(core::timer::ReadFile); // both units heard: 2 bound to trace 1, 8 to trace 2
    ASSERT_EQ(FirstFourTraces(), (std::array<int, 4>{2, 8, 0, 0}));
    Press(roles::BindNewUnits, 0);
    ChooseDevice(0, 0); // by hand: trace 1 is freed, trace 3 shows device 2
    Commit(TraceNumeric(0));
    ChooseDevice(2, 2);
    Commit(TraceNumeric(2));
    ASSERT_EQ(FirstFourTraces(), (std::array<int, 4>{0, 8, 2, 0}));

    files::CloseFile2Plot();
    files::OpenFile2PlotPath(second);
    EXPECT_EQ(FirstFourTraces(), (std::array<int, 4>{0, 0, 2, 0}));
    EXPECT_TRUE(ui::LastStatus().startsWith("File open for playback"));
    const QString note = ui::GetText(roles::TraceNote);
    EXPECT_TRUE(note.contains("Trace 3 waits for device 2")) << note.toStdString();
    EXPECT_TRUE(note.contains("Trace 2: device 8 is not in the table; trace cleared"))
        << note.toStdString();

    // Start Plotting with the table still empty keeps the choice too.
    Press(roles::RawStartStop, 1);
    EXPECT_EQ(ui::GetInt(TraceNumeric(2)), 2);
    for (int tick = 0; tick < 5 && Program.PlottingRunning; ++tick)
        ui::TickTimer(core::timer::ReadFile);
    EXPECT_EQ(FirstFourTraces(), (std::array<int, 4>{0, 0, 2, 0})); // binding is off: 8 stays off
    EXPECT_EQ(chart::ChartFifo[2].deviceNumber, 2);
    EXPECT_EQ(DrawnRuns(2), (Runs{{0, 127}}));
    EXPECT_DOUBLE_EQ(chart::ChartFifo[2].values[100], 3.25);
    EXPECT_FALSE(ui::GetText(roles::TraceNote).contains("Trace 3"));
}

// Samples go to the first trace naming their unit. A second trace naming it stays empty; the
// note says why, by hand in a live table and while both wait across files, and never blames
// the table for a unit it holds.
TEST_F(TraceBindingTest, ASecondTraceOnTheSameUnitIsNamedNotBlamedOnTheTable) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString first = WriteDataFile(dir, "first.csv", {2, 8});
    const QString second = WriteDataFile(dir, "second.csv", {8, 2});
    const char* const kRepeat = "Trace 3 repeats device 2 of Trace 1: only Trace 1 draws it.";

    Press(roles::PlotSourceSelect, core::kSourceFile);
    files::OpenFile2PlotPath(first);
    Press(roles::RawStartStop, 1);
    ui::TickTimer(core::timer::ReadFile);
    ASSERT_EQ(FirstFourTraces(), (std::array<int, 4>{2, 8, 0, 0}));
    Press(roles::BindNewUnits, 0);
    ChooseDevice(0, 2);
    Commit(TraceNumeric(0));
    ChooseDevice(2, 2);
    Commit(TraceNumeric(2));
    EXPECT_TRUE(ui::GetText(roles::TraceNote).contains(kRepeat))
        << ui::GetText(roles::TraceNote).toStdString();

    files::CloseFile2Plot();
    files::OpenFile2PlotPath(second);
    Press(roles::RawStartStop, 1);
    for (int tick = 0; tick < 5 && Program.PlottingRunning; ++tick)
        ui::TickTimer(core::timer::ReadFile);
    ASSERT_EQ(FirstFourTraces(), (std::array<int, 4>{2, 0, 2, 0}));
    EXPECT_EQ(chart::ChartFifo[0].deviceNumber, 2);
    const QString note = ui::GetText(roles::TraceNote);
    EXPECT_FALSE(note.contains("waits for device 2")) << note.toStdString();
    EXPECT_TRUE(note.contains(kRepeat)) << note.toStdString();

    ChooseDevice(2, 0); // the repeat let go: its line goes
    Commit(TraceNumeric(2));
    EXPECT_FALSE(ui::GetText(roles::TraceNote).contains("Trace 3"));
}

// The flow of a first playback: open the file, choose File, press Start Plotting. The units
// of the file appear on the chart without their numbers being typed.
TEST_F(TraceBindingTest, APlayedFileShowsOnTheChartWithoutTypingDeviceNumbers) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("site000.csv");
    std::string text;
    for (int second = 0; second < 4; ++second)
        for (int device : {2, 8}) {
            char header[40];
            std::snprintf(header, sizeof header, "A%03d,S08,B0,2026-12-07T12:00:%02d", device,
                          second * 4);
            text += header;
            for (int k = 0; k < 32; ++k)
                text += CPrintf(",%07.4f", 1.25 + device);
            text += "\r\n";
        }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), qint64(text.size()));
    file.close();

    files::OpenFile2PlotPath(path);
    EXPECT_TRUE(ui::LastStatus().contains("set Data source to File"))
        << ui::LastStatus().toStdString();
    Press(roles::PlotSourceSelect, core::kSourceFile);
    Press(roles::RawStartStop, 1);
    for (int tick = 0; tick < 5 && Program.PlottingRunning; ++tick)
        ui::TickTimer(core::timer::ReadFile);

    EXPECT_EQ(FirstFourTraces(), (std::array<int, 4>{2, 8, 0, 0}));
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 127}}));
    EXPECT_EQ(DrawnRuns(1), (Runs{{0, 127}}));
    EXPECT_DOUBLE_EQ(chart::ChartFifo[1].values[100], 9.25);
}

} // namespace
} // namespace undarix::testing
