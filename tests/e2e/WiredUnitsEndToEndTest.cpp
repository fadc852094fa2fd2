// Wired units and the board from the simulator, through the real port, the receive path, the
// timers and the configuration page, as a user meets them.

#include "app/DemoMode.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/SerialPort.h"
#include "live/DeviceTable.h"
#include "sim/Simulator.h"
#include "support/Fixtures.h"
#include "ui/ControlRegistry.h"
#include "ui/Controls.h"
#include "ui/Delay.h"

#include <QThread>

#include <algorithm>
#include <memory>

namespace undarix::testing {
namespace {

using namespace core;
using namespace live;

constexpr int kTimeoutMs = 15000;

class WiredUnitsEndToEndTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        // The waits of the protocols are slept (a quarter of each), so that the unit reads
        // what was written before the program empties its output queue again.
        ui::SetDelayDriver([this](double seconds) {
            delays.push_back(seconds);
            QThread::msleep(unsigned(seconds * 250.0));
        });
    }

    void Start(int kind) {
        sim::SimOptions options;
        options.kind = kind;
        options.rate = 8;
        simulator = std::make_unique<sim::Simulator>(options);
        ASSERT_TRUE(simulator->Start()) << simulator->Error();
        app::OpenSimulatedPort(*simulator, "Simulated wired unit");
        ASSERT_NE(Program.OpenComPortNum, 0);
    }

    template <class Fn> auto Unit(Fn&& fn) {
        return simulator->Inspect([&](sim::SimState& s) { return fn(s.wired); });
    }

    static int RateShown(int row) {
        return ui::GetInt(ui::ArrayItemName(mainpanel::RateArray, row));
    }
    static int DeviceShown(int row) {
        return ui::GetInt(ui::ArrayItemName(mainpanel::DeviceArray, row));
    }

    void SwitchConfigure(int on) {
        ui::SetInt(configpage::ConfigureRunSwitch, on);
        ui::Dispatch(configpage::ConfigureRunSwitch, ui::Event::Commit);
    }

    std::unique_ptr<sim::Simulator> simulator;
};

TEST_F(WiredUnitsEndToEndTest, RavoZerarAndDeveZuraviConnectAreConfiguredAndRunAgain) {
    struct Case {
        int kind;
        const char* serial;
        const char* model;
    };
    for (const Case c : {Case{WiredRavoZerar402E, "RZ-402E-001234", "TALQ-310-402E-"},
                         Case{DeveZuravi404E, "DZ-404E-001234", "TALQ-310-404E-"}}) {
        SCOPED_TRACE(c.kind);
        Start(c.kind);

        // Connected, with its staff length, and its samples in the table.
        ASSERT_TRUE(WaitUntil(
            [] {
                return ui::GetText(mainpanel::ConnectionText) == "Connected" && RateShown(0) == 8;
            },
            kTimeoutMs));
        EXPECT_EQ(ui::GetText(mainpanel::WiredIdentity), c.serial);
        EXPECT_EQ(ui::GetText(mainpanel::StaffLengthDisplay), "3.000");
        // The table shows what the unit measured, to a count of its 3 m staff (0.73 mm): the
        // unit holds still while the last line is compared.
        const int slot = GetOutputLineLoc(1);
        ASSERT_TRUE(WaitUntil([&] { return OutputLine[std::size_t(slot)].sampleCount > 4; }));
        Unit([](sim::WiredUnit& u) { return u.running = false; });
        WaitUntil([] { return false; }, 300);
        const double sent = Unit([](sim::WiredUnit& u) { return u.history.back().levels[0]; });
        EXPECT_NEAR(OutputLine[std::size_t(slot)].lastValue, std::clamp(sent, 0.0, 3.0), 0.001);
        Unit([](sim::WiredUnit& u) { return u.running = true; });

        // Configure: the unit stops and its configuration is shown.
        SwitchConfigure(1);
        ASSERT_TRUE(WaitUntil(
            [] {
                return Program.ConfigStatus == 2 &&
                       ui::GetText(mainpanel::ConnectionText) == "Configure Mode";
            },
            kTimeoutMs));
        EXPECT_FALSE(Unit([](sim::WiredUnit& u) { return u.running; }));
        EXPECT_EQ(ui::GetText(configpage::SerialNumberText), c.serial);
        EXPECT_EQ(ui::GetText(configpage::ModelText), c.model);
        EXPECT_EQ(ui::GetInt(configpage::WiredSampleRateField), 8);
        EXPECT_EQ(ui::GetReal(configpage::StaffLengthField), 3.0);
        EXPECT_EQ(ui::GetText(configpage::ConnectionText), "Connected");

        // A new sample rate: written, taken by the unit, and shown from its read-back.
        ui::SetInt(configpage::WiredSampleRateField, 16);
        ui::Dispatch(configpage::WiredSampleRateField, ui::Event::Commit);
        EXPECT_TRUE(ui::IsDimmed(configpage::WiredSampleRateField));
        EXPECT_TRUE(simulator->WaitUntil(
            [](const sim::SimState& s) { return s.wired.blocksWritten == 1; }));
        EXPECT_EQ(Unit([](sim::WiredUnit& u) { return int(u.held.SampleRate); }), 16);
        ASSERT_TRUE(WaitUntil(
            [] {
                return Program.ConfigStatus == 2 && !ui::IsDimmed(configpage::WiredSampleRateField);
            },
            kTimeoutMs));
        EXPECT_EQ(ui::GetInt(configpage::WiredSampleRateField), 16);
        EXPECT_FALSE(Unit([](sim::WiredUnit& u) { return u.running; }));

        // Run: the unit streams again, at its new rate.
        SwitchConfigure(0);
        ASSERT_TRUE(WaitUntil(
            [] {
                return ui::GetText(mainpanel::ConnectionText) == "Connected" && RateShown(0) == 16;
            },
            kTimeoutMs));
        EXPECT_TRUE(Unit([](sim::WiredUnit& u) { return u.running; }));
        EXPECT_EQ(Unit([](sim::WiredUnit& u) { return u.blocksRejected; }), 0);

        // Leaving the port leaves the unit running.
        ui::Dispatch(mainpanel::ChangeComPortButton, ui::Event::Commit);
        simulator.reset();
        ClearAllOutputLines();
    }
}

TEST_F(WiredUnitsEndToEndTest, TheBoardStreamsEightStaffs) {
    for (int row = 1; row <= 8; ++row)
        ui::SetTableCell(mainpanel::BoardStaffTable, row, 1, 4.0); // the simulator's staffs
    Start(Vazavevezeze);
    ASSERT_TRUE(WaitUntil(
        [] {
            for (int row = 0; row < 8; ++row)
                if (DeviceShown(row) != row + 1 || RateShown(row) != 8) return false;
            return ui::GetText(mainpanel::ConnectionText) == "Connected";
        },
        kTimeoutMs));
    EXPECT_EQ(ui::GetText(mainpanel::WiredIdentity), "VZ3124120000000001");
    // Each staff's value is its count over its 4 m, to within a count.
    simulator->Inspect([](sim::SimState& s) {
        s.board.sampleRate = 0; // hold the last line still
        return 0;
    });
    WaitUntil([] { return false; }, 300);
    const sim::SentLine last =
        simulator->Inspect([](sim::SimState& s) { return s.board.history.back(); });
    ASSERT_EQ(last.levels.size(), 8u);
    for (int staff = 1; staff <= 8; ++staff) {
        const int slot = GetOutputLineLoc(std::uint64_t(staff));
        const double level = std::clamp(last.levels[std::size_t(staff - 1)], 0.0, 4.0);
        EXPECT_NEAR(OutputLine[std::size_t(slot)].lastValue, level, 0.002) << staff;
    }
}

} // namespace
} // namespace undarix::testing
