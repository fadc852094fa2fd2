// The chart page's controls: the source switch, Start Plotting, the trace numerics, the axes
// and their help and typing feedback.

#include "chart/ChartState.h"
#include "chart/GraphPlots.h"
#include "chart/PacketFeed.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/ReceiveState.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/ControlRegistry.h"
#include "ui/Timers.h"

#include <QContextMenuEvent>
#include <QCoreApplication>

namespace undarix::testing {
namespace {

using chart::DrawnRuns;
using chart::PointRun;
using core::Program;
using Runs = std::vector<PointRun>;
namespace roles = chart::roles;

class ChartControlsTest : public PanelTest {
protected:
    static void Commit(ui::Role role) { ui::Dispatch(role, ui::Event::Commit); }
    static void Press(ui::Role role, int on) {
        ui::SetInt(role, on);
        Commit(role);
    }
    // Two units heard; unit 7 on trace 1; plotting.
    static void PlotTwoUnits() {
        ASSERT_EQ(live::GetOutputLineLoc(0x0013A20040000001ull), 0);
        ASSERT_EQ(live::GetOutputLineLoc(0x0013A20040000002ull), 1);
        AddUnit(0, 7, 32);
        AddUnit(1, 8, 32);
        ChooseDevice(0, 7);
        Commit(TraceNumeric(0));
        Press(roles::RawStartStop, 1);
        SendBlock(0, At(0), 32, 1.0f);
    }
};

TEST_F(ChartControlsTest, StartsWithTheControlsShowingTheChartSettings) {
    EXPECT_EQ(ui::GetInt(roles::RawPlotXAsis), 1);
    EXPECT_DOUBLE_EQ(ui::GetReal(roles::YAxisRange), 6.0);
    EXPECT_DOUBLE_EQ(ui::GetReal(roles::YAxisOffset), 0.0);
    EXPECT_EQ(ui::GetInt(roles::PlotSourceSelect), core::kSourceSerialPort);
    EXPECT_EQ(ui::GetInt(roles::RawStartStop), 0);
    EXPECT_EQ(ui::GetInt(roles::StopWhenFull), 0);
    EXPECT_EQ(ui::GetText(roles::StartTimeText), "YYYY-MM-DDThh:mm:ss");
    for (int t = 0; t < chart::kTraceCount; ++t)
        EXPECT_EQ(chart::ChartFifo[t].deviceNumber, 0);
}

TEST_F(ChartControlsTest, SwitchingTheSourceEmptiesTableAndChartAndStopsPlotting) {
    PlotTwoUnits();
    ASSERT_EQ(DrawnRuns(0), (Runs{{0, 31}}));
    link::UartXbee.receiveState = 2;
    Program.FileRxStatus = 1;

    Press(roles::PlotSourceSelect, 1);
    EXPECT_EQ(Program.DataSource, core::kSourceFile);
    for (const live::OutputLineRecord& record : live::OutputLine) {
        EXPECT_EQ(record.address, 0u);
        EXPECT_EQ(record.deviceNumber, 0);
    }
    EXPECT_TRUE(ui::IsDimmed(ui::ArrayItemName(core::mainpanel::AddressArray, 0)));
    EXPECT_EQ(Program.PlottingRunning, 0);
    EXPECT_EQ(ui::GetInt(roles::RawStartStop), 0);
    EXPECT_EQ(DrawnRuns(0), Runs{});
    EXPECT_EQ(ui::GetText(roles::StartTimeText), "YYYY-MM-DDThh:mm:ss");
    EXPECT_EQ(Program.NewChart, 1);
    // Its unit is gone from the table; chosen by hand, the trace waits for it.
    EXPECT_EQ(chart::ChartFifo[0].deviceNumber, 0);
    EXPECT_EQ(ui::GetInt(TraceNumeric(0)), 7);
    EXPECT_TRUE(chart::WaitsForItsUnit(0));
    EXPECT_EQ(link::UartXbee.receiveState, 2) << "the port's frame under way goes on";
    EXPECT_EQ(Program.FileRxStatus, 0);
}

TEST_F(ChartControlsTest, TheSourceSwitchPausesTheRadioSessionTimerWhileAFilePlays) {
    struct Case {
        int source, unitType, port;
        bool enabled;
    };
    const Case cases[] = {{0, 0, 3, true},  {0, 2, 3, true},  {0, 3, 3, false},
                          {0, 7, 3, false}, {0, 1, 0, false}, {1, 0, 3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.source << " " << c.unitType << " " << c.port);
        Program.UnitType = c.unitType;
        Program.OpenComPortNum = c.port;
        ui::SetTimerEnabled(core::timer::Config, !c.enabled);
        Press(roles::PlotSourceSelect, c.source);
        EXPECT_EQ(ui::IsTimerEnabled(core::timer::Config), c.enabled);
    }
    // The other timers are not the source switch's business.
    ui::SetTimerEnabled(core::timer::DeviceDisplay, true);
    Press(roles::PlotSourceSelect, 1);
    EXPECT_TRUE(ui::IsTimerEnabled(core::timer::DeviceDisplay));
}

TEST_F(ChartControlsTest, ATraceDeviceNumberNotInTheTableShowsZero) {
    AddUnit(0, 7, 32);
    ChooseDevice(2, 9);
    ui::Dispatch(TraceNumeric(2), ui::Event::KeyPress);
    EXPECT_TRUE(ui::IsVisible(core::mainpanel::EditHint));
    Commit(TraceNumeric(2));
    EXPECT_EQ(ui::GetInt(TraceNumeric(2)), 0);
    EXPECT_EQ(chart::ChartFifo[2].deviceNumber, 0);
    EXPECT_EQ(chart::ChartFifo[2].tableIndex, chart::kNotInTable);
    EXPECT_FALSE(ui::IsVisible(core::mainpanel::EditHint));
    // A unit in the table binds.
    ChooseDevice(2, 7);
    Commit(TraceNumeric(2));
    EXPECT_EQ(ui::GetInt(TraceNumeric(2)), 7);
    EXPECT_EQ(chart::ChartFifo[2].deviceNumber, 7);
    EXPECT_EQ(chart::ChartFifo[2].tableIndex, 0);
    EXPECT_FLOAT_EQ(chart::ChartFifo[2].capacity, 512.0f);
}

TEST_F(ChartControlsTest, StartingTwiceGivesTwoFreshChartsAndStoppingKeepsTheChart) {
    PlotTwoUnits();
    SendBlock(0, At(1), 32, 1.0f);
    ASSERT_EQ(ui::GetText(roles::StartTimeText), "2026-12-07T12:00:00");

    Press(roles::RawStartStop, 1);
    EXPECT_EQ(Program.PlottingRunning, 1);
    EXPECT_EQ(DrawnRuns(0), Runs{});
    EXPECT_EQ(ui::GetText(roles::StartTimeText), "YYYY-MM-DDThh:mm:ss");
    EXPECT_TRUE(ui::IsDimmed(core::mainpanel::AirTempFile));
    SendBlock(0, At(5), 32, 1.0f);
    EXPECT_EQ(ui::GetText(roles::StartTimeText), "2026-12-07T12:00:05");
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 31}}));

    link::UartXbee.receiveState = 2;
    Press(roles::RawStartStop, 0);
    EXPECT_EQ(Program.PlottingRunning, 0);
    EXPECT_EQ(DrawnRuns(0), (Runs{{0, 31}}));
    EXPECT_EQ(link::UartXbee.receiveState, 2) << "the port's frame under way goes on";
}

TEST_F(ChartControlsTest, ChangingTheAxesClearsTheChartAndDrawsNewPacketsOnTheNewScale) {
    PlotTwoUnits();
    ui::SetReal(roles::YAxisRange, 2.0);
    Commit(roles::YAxisRange);
    EXPECT_FLOAT_EQ(Program.YRange, 2.0f);
    EXPECT_EQ(DrawnRuns(0), Runs{});
    SendBlock(0, At(1), 32, 1.0f);
    EXPECT_DOUBLE_EQ(chart::ChartFifo[0].plotY[0], 0.5);

    ui::SetInt(roles::RawPlotXAsis, 4);
    Commit(roles::RawPlotXAsis);
    EXPECT_EQ(Program.TimeScale, 4);
    EXPECT_DOUBLE_EQ(chart::Chart.xGain, 4.0);
    EXPECT_FLOAT_EQ(chart::ChartFifo[0].capacity, 2048.0f);
    EXPECT_EQ(DrawnRuns(0), Runs{});

    ui::SetReal(roles::YAxisOffset, -2.5);
    Commit(roles::YAxisOffset);
    EXPECT_FLOAT_EQ(Program.YOffset, -2.5f);

    Press(roles::StopWhenFull, 1);
    EXPECT_EQ(Program.StopWhenFull, 1);
    Press(roles::StopWhenFull, 0);
    EXPECT_EQ(Program.StopWhenFull, 0);
}

TEST_F(ChartControlsTest, NumericsTurnRedWhileTypedAndShowTheEditHint) {
    struct Case {
        std::string role;
        bool turnsRed;
    };
    const Case cases[] = {{std::string(roles::YAxisRange), true},
                          {std::string(roles::YAxisOffset), true},
                          {std::string(roles::RawPlotXAsis), true},
                          {TraceNumeric(0), false},
                          {TraceNumeric(7), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.role);
        ui::Dispatch(c.role, ui::Event::KeyPress);
        EXPECT_TRUE(ui::IsVisible(core::mainpanel::EditHint));
        EXPECT_EQ(ui::GetTextColor(c.role), c.turnsRed ? ui::kRed : ui::kBlack);
        ui::Dispatch(c.role, ui::Event::LostFocus);
        EXPECT_FALSE(ui::IsVisible(core::mainpanel::EditHint));
        EXPECT_EQ(ui::GetTextColor(c.role), ui::kBlack);
        // Committing after typing also ends the feedback.
        ui::Dispatch(c.role, ui::Event::KeyPress);
        Commit(c.role);
        EXPECT_FALSE(ui::IsVisible(core::mainpanel::EditHint));
        EXPECT_EQ(ui::GetTextColor(c.role), ui::kBlack);
    }
}

TEST_F(ChartControlsTest, HelpPopUpsHaveTheirTitlesAndStartPlottingOnlyForTheFirstWiredKind) {
    struct Case {
        std::string role;
        QString title; // empty: no help
    };
    const Case cases[] = {{std::string(roles::PlotSourceSelect), "SELECT DATA SOURCE"},
                          {std::string(roles::StopWhenFull), "STOP PLOT IF FULL TO ANALYZE"},
                          {std::string(roles::YAxisRange), "Y AXIS RANGE"},
                          {std::string(roles::YAxisOffset), "Y AXIS OFFSET"},
                          {std::string(roles::RawPlotXAsis), ""},
                          {TraceNumeric(0), "TRACE 1 DEVICE NUMBER"},
                          {TraceNumeric(4), "TRACE 5 DEVICE NUMBER"},
                          {TraceNumeric(7), "TRACE 8 DEVICE NUMBER"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.role);
        const auto help = ui::HelpOf(c.role);
        ASSERT_EQ(help.has_value(), !c.title.isEmpty());
        if (help) {
            EXPECT_EQ(help->title, c.title);
        }
    }
    EXPECT_EQ(ui::HelpOf(TraceNumeric(0))->text,
              "To Plot enter the device number from the list of connected\nDevices.  Then press "
              "the Start Plotting button.");
    EXPECT_EQ(ui::HelpOf(TraceNumeric(7))->text,
              "To Plot enter the device number from the list of connected\nDevice.  Then press "
              "the Start Plotting button");
    EXPECT_EQ(ui::HelpOf(roles::YAxisRange)->text,
              "This is the range from the minimum to maximun value that the chart will display.\n");
    EXPECT_EQ(ui::HelpOf(roles::YAxisOffset)->text,
              "This is the minimum value in meters that the chart will display.\n");
    EXPECT_TRUE(ui::HelpOf(roles::PlotSourceSelect)->text.contains("undarix-cli convert"));
    EXPECT_FALSE(ui::HelpOf(roles::PlotSourceSelect)->text.contains("TALQConvert"));

    for (int unitType = 0; unitType < 8; ++unitType) {
        Program.UnitType = unitType;
        const auto help = ui::HelpOf(roles::RawStartStop);
        ASSERT_EQ(help.has_value(), unitType == 3) << unitType;
        if (!help) continue;
        EXPECT_EQ(help->title, "RAVO ZERAR TYPE");
        EXPECT_EQ(help->text, "Note to display sample data:\nThe Serial Output must be configured "
                              "to on.\nThe Select Configure Mode must be set to Run");
    }
    // A right-click shows the help as a pop-up.
    Program.UnitType = 3;
    popups->ExpectMessage("RAVO ZERAR TYPE");
    QWidget* button = ui::FindWidget(roles::RawStartStop);
    ASSERT_NE(button, nullptr);
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2),
                            button->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(button, &click);
}

} // namespace
} // namespace undarix::testing
