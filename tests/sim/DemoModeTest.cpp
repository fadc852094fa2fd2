// Demo mode: the simulator inside the program, its port listed, selected and open.

#include "app/DemoMode.h"
#include "chart/PlotPageRoles.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/SerialPort.h"
#include "link/codec/ApiFrame.h"
#include "sim/Simulator.h"
#include "support/Fixtures.h"
#include "ui/Controls.h"

namespace undarix::testing {
namespace {

using namespace core;

class DemoModeTest : public PanelTest {};

TEST_F(DemoModeTest, SimulatedUnitsAreListedSelectedAndOpen) {
    ASSERT_TRUE(ui::IsVisible(mainpanel::EmptyTableHint));
    ASSERT_TRUE(app::StartDemo());
    // The hint to start with --demo is gone with the demo's first moment.
    EXPECT_FALSE(ui::IsVisible(mainpanel::EmptyTableHint));
    const QString path = app::DemoPortPath();
    ASSERT_FALSE(path.isEmpty());
    const int port = link::PortNumberForPath(path);

    bool listed = false;
    for (int i = 0; i < ui::GetListCount(mainpanel::ComPortList); ++i)
        listed |= ui::GetListLabel(mainpanel::ComPortList, i) == app::kDemoPortLabel &&
                  ui::GetListValue(mainpanel::ComPortList, i) == port;
    EXPECT_TRUE(listed);
    EXPECT_EQ(ui::GetInt(mainpanel::ComPortList), port);
    EXPECT_EQ(Program.OpenComPortNum, port);
    EXPECT_TRUE(link::IsComOpen(port));

    sim::Simulator* simulator = app::DemoSimulator();
    ASSERT_NE(simulator, nullptr);
    EXPECT_EQ(simulator->Inspect([](sim::SimState& s) { return s.radio.units.size(); }), 3u);
    std::string formats;
    for (int i = 0; i < 3; ++i)
        formats += sim::FormatLetter(simulator->Inspect(
            [&](sim::SimState& s) { return s.radio.units[std::size_t(i)].config.formatCode; }));
    EXPECT_EQ(formats, "AIC");

    // What the program writes on its port reaches the simulated adapter.
    std::uint8_t data[link::codec::kMaxFrameData];
    std::uint8_t wire[link::codec::kMaxEncodedFrame];
    const std::uint8_t id[] = {'I', 'D'};
    const std::size_t n =
        link::codec::EncodeApiFrame(data, link::codec::BuildATCommand(id, 2, data), wire);
    link::ComWrt(port, wire, int(n));
    EXPECT_TRUE(WaitUntil([&] {
        return simulator->Inspect([](sim::SimState& s) { return !s.radio.received.empty(); });
    }));

    app::StopDemo();
    EXPECT_TRUE(app::DemoPortPath().isEmpty());
}

TEST_F(DemoModeTest, ASimulatorOfAnyKindOpensAsItsKind) {
    sim::SimOptions options;
    options.kind = 7;
    sim::Simulator board(options);
    ASSERT_TRUE(board.Start()) << board.Error();
    const int port = app::OpenSimulatedPort(board, "Board");
    EXPECT_EQ(Program.UnitType, 7);
    EXPECT_EQ(Program.OpenComPortNum, port);
    EXPECT_EQ(link::ComBaudRate(port), 38400);
    // The program's wake-up bytes reach the board.
    link::ComWrt(port, "\r\ngst", 5);
    EXPECT_TRUE(WaitUntil(
        [&] { return board.Inspect([](sim::SimState& s) { return s.board.reportsSent; }) == 1; }));
}

// The chart runs at once and each unit goes on a trace when it is first heard: the one-sample
// unit within a second, not after the slowest unit's first block.
TEST_F(DemoModeTest, EachUnitIsChartedAsItIsHeard) {
    ASSERT_TRUE(app::StartDemo());
    EXPECT_EQ(Program.PlottingRunning, 1);
    EXPECT_EQ(Program.TimeScale, 4);
    const auto bound = [] {
        int traces = 0;
        for (int t = 0; t < 8; ++t)
            traces += ui::GetInt(ui::ArrayItemName(chart::roles::TraceSelectArray, t)) != 0;
        return traces;
    };
    EXPECT_TRUE(WaitUntil([&] { return bound() >= 1; }, 2000));
    EXPECT_TRUE(WaitUntil([&] { return bound() == 3; }, 12000));
    app::StopDemo();
}

} // namespace
} // namespace undarix::testing
