// The wired connection timer: the hand-shake of wired units, the board's wake-up, and the
// loss of a unit whose data stop.

#include "WiredUnitFixture.h"

#include "core/ConfigPageRoles.h"
#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/UnitKind.h"
#include "live/DeviceTable.h"
#include "ui/Controls.h"
#include "ui/Timers.h"

#include <vector>

namespace undarix::testing {
namespace {

using core::Program;
using core::mainpanel::ConnectionText;

class ConnectTimerTest : public WiredUnitTest {};

TEST_F(ConnectTimerTest, TheHandshakeStopsReadsAndRestartsAUnit) {
    UseKind(core::WiredRavoZerar402E);
    int chartResets = 0;
    core::hooks.ChartReset = [&] { ++chartResets; };
    struct Step {
        std::string reply; // what the unit answers before the tick
        std::string sent;  // what the tick sends
        int status;        // the state after the tick
    };
    const Step steps[] = {
        {"", "st", 1},
        {"STOK,", "i", 3},
        {std::string("IOK,") + kSerial + ",", "r", 5},
        {"ROK," + BlockOf(UnitRecord(), 3), "g", 7},
        {"GOK,", "", 8},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.sent);
        Receive(step.reply);
        Tick();
        EXPECT_EQ(Written(), step.sent);
        EXPECT_EQ(Program.WSWLConnectStatus, step.status);
    }
    EXPECT_EQ(Program.ClearConfig, 1); // stopping the unit restarts the configuration page
    EXPECT_EQ(ui::GetText(ConnectionText), "Connected");
    EXPECT_EQ(ui::GetTextColor(ConnectionText), ui::kGreen);
    EXPECT_EQ(ui::GetText(core::configpage::ConnectionText), "Connected") << "both say the same";

    // Samples keep it connected; the fifth tick after the last byte loses it.
    for (int i = 0; i < 5; ++i) {
        Receive("1234\r\n");
        Tick();
    }
    EXPECT_EQ(Program.WSWLConnectStatus, 8);
    live::OutputLine[0].address = 1; // the unit's record
    for (int i = 0; i < 3; ++i)
        Tick();
    EXPECT_EQ(Program.WSWLConnectStatus, 8);
    Tick();
    EXPECT_EQ(Program.WSWLConnectStatus, 0);
    EXPECT_EQ(ui::GetText(core::configpage::ConnectionText), "Not Connected");
    EXPECT_EQ(ui::GetText(ConnectionText), "Not Connected");
    EXPECT_EQ(ui::GetTextColor(ConnectionText), ui::kRed);
    EXPECT_EQ(chartResets, 1);
    EXPECT_EQ(live::OutputLine[0].address, 0u);
}

// A unit at its slowest rate, 1 Hz, its lines late or early by up to a quarter second (the
// serial driver and the USB adapter deliver in bursts), whatever the phase of the half-second
// ticks against the lines: never given up while it sends, and given up within 3 s when it
// stops.
TEST_F(ConnectTimerTest, AOneHertzUnitIsKeptAtEveryPhaseAndLostWithinThreeSeconds) {
    constexpr int kTickMs = 500;
    constexpr int kLines = 150;
    constexpr int kJitterMs = 250;
    for (const bool alternating : {true, false}) {
        for (int phaseMs = 0; phaseMs < kTickMs; phaseMs += 25) {
            SCOPED_TRACE(::testing::Message() << "phase " << phaseMs << " ms, "
                                              << (alternating ? "alternating" : "drifting"));
            UseKind(core::WiredRavoZerar402E);
            Program.WSWLConnectStatus = 8;
            Program.WSWLConnectTimer = 0;
            // Early and late in turn (gaps of 0.5 s and 1.5 s), or a pseudo-random jitter.
            unsigned seed = unsigned(phaseMs) + 1;
            auto lineAt = [&](int j) {
                if (alternating) return 1000 * j + (j % 2 ? kJitterMs : -kJitterMs);
                seed = seed * 1103515245u + 12345u;
                return 1000 * j + int(seed >> 16) % (2 * kJitterMs + 1) - kJitterMs;
            };
            int nextLine = 0;
            int lineTime = lineAt(0) + kJitterMs; // the first line starts the count
            int lastLine = 0;
            int lostAt = -1;
            for (int tick = phaseMs; tick < 1000 * kLines + 5000 && lostAt < 0; tick += kTickMs) {
                while (nextLine < kLines && lineTime <= tick) {
                    Receive("1234\r\n");
                    lastLine = lineTime;
                    lineTime = lineAt(++nextLine) + kJitterMs;
                }
                Tick();
                if (Program.WSWLConnectStatus != 8) lostAt = tick;
            }
            ASSERT_GE(lostAt, 0);
            EXPECT_EQ(nextLine, kLines) << "lost while sending, at " << lostAt << " ms";
            EXPECT_LE(lostAt - lastLine, 3000);
            Written();
        }
    }
}

// Whatever restarts the hand-shake of a running unit or board (silence, Configure mode, a
// reconnect request), the unit or staff heard again keeps the zero mode the user set.
TEST_F(ConnectTimerTest, ARestartedConnectionKeepsTheZeroMode) {
    struct Case {
        const char* what;
        int kind;
        int running; // the connected state
        void (*cause)();
    };
    const Case cases[] = {
        {"silence", core::WiredRavoZerar402E, 8, [] { Program.WSWLConnectTimer = 10; }},
        {"configure mode", core::DeveZuravi410, 8, [] { Program.WSWLConfigMode = 1; }},
        {"reconnect request", core::WiredRavoZerar408, 8, [] { Program.WSWLReConnectFlag = 1; }},
        {"board silence", core::Vazavevezeze, 5, [] { Program.WSWLConnectTimer = 10; }},
        {"board configure mode", core::Vazavevezeze, 5, [] { Program.WSWLConfigMode = 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        live::ResetDeviceTable();
        UseKind(c.kind);
        Program.WSWLConfigMode = 0;
        Program.WSWLConnectStatus = c.running;
        for (std::uint64_t unit : {1u, 2u}) {
            live::OutputLineRecord& record =
                live::OutputLine[std::size_t(live::GetOutputLineLoc(unit))];
            record.zeroMode = 1;
            record.zeroOffset = 0.5f * float(unit);
        }
        c.cause();
        Tick();
        ASSERT_EQ(Program.WSWLConnectStatus, 0);
        for (std::uint64_t unit : {2u, 1u}) {
            const live::OutputLineRecord& record =
                live::OutputLine[std::size_t(live::GetOutputLineLoc(unit))];
            EXPECT_EQ(record.zeroMode, 1) << unit;
            EXPECT_EQ(record.zeroOffset, 0.5f * float(unit)) << unit;
        }
        Program.WSWLConfigMode = 0;
        Written();
    }
}

TEST_F(ConnectTimerTest, AMissingReplyStartsTheHandshakeOver) {
    UseKind(core::DeveZuravi410);
    struct Case {
        int status;
        int ticksAllowed; // ticks that still wait
    };
    for (const Case c : {Case{1, 3}, Case{3, 3}, Case{5, 3}, Case{7, 2}}) {
        SCOPED_TRACE(c.status);
        Program.WSWLConnectStatus = c.status;
        Program.WSWLConnectTimer = 0;
        for (int i = 0; i < c.ticksAllowed; ++i)
            Tick();
        EXPECT_EQ(Program.WSWLConnectStatus, c.status);
        Tick();
        EXPECT_EQ(Program.WSWLConnectStatus, 0);
    }
    EXPECT_EQ(Written(), "");
}

TEST_F(ConnectTimerTest, NothingIsSentWithoutAnOpenPort) {
    UseKind(core::WiredRavoZerar408);
    Program.OpenComPortNum = 0;
    Tick();
    EXPECT_EQ(Program.WSWLConnectStatus, 0);
    EXPECT_EQ(Program.ClearConfig, 0);
    EXPECT_EQ(Written(), "");
}

TEST_F(ConnectTimerTest, ConfigureModeKeepsTheUnitStoppedUntilRun) {
    UseKind(core::WiredRavoZerar402E);
    ReadUnit(BlockOf(UnitRecord(), 3));
    Receive("");
    Tick();
    Receive("GOK,");
    Program.WSWLConnectTimer = 0;
    Tick();
    ASSERT_EQ(Program.WSWLConnectStatus, 8);

    // Configure: the running unit is stopped and read, and stays stopped.
    ui::SetInt(core::configpage::ConfigureRunSwitch, 1);
    ui::Dispatch(core::configpage::ConfigureRunSwitch, ui::Event::Commit);
    Tick();
    EXPECT_EQ(Program.WSWLConnectStatus, 0);
    ReadUnit(BlockOf(UnitRecord(), 3));
    for (int i = 0; i < 10; ++i)
        Tick();
    EXPECT_EQ(Written(), "");
    EXPECT_EQ(Program.WSWLConnectStatus, 6);

    // Run: "g" at the next tick.
    ui::SetInt(core::configpage::ConfigureRunSwitch, 0);
    ui::Dispatch(core::configpage::ConfigureRunSwitch, ui::Event::Commit);
    Tick();
    EXPECT_EQ(Written(), "g");
}

TEST_F(ConnectTimerTest, TheBoardIsWokenReadAndStarted) {
    UseKind(core::Vazavevezeze);
    Tick();
    EXPECT_EQ(Written(), "\r\ngst");
    EXPECT_EQ(delays, (std::vector<double>{0.2, 0.2, 0.1, 0.2, 0.5}));
    EXPECT_EQ(Program.WSWLConnectStatus, 1);

    Receive("Serial Number: VZ-312-412-0000123\r\nSystem status: ready\r\n");
    delays.clear();
    Tick();
    EXPECT_EQ(Written(), "r");
    EXPECT_EQ(delays, (std::vector<double>{0.4, 0.1}));
    EXPECT_EQ(Program.WSWLConnectStatus, 3);

    Receive("12/06/26 10:11:12\r\n");
    Program.WSWLConnectTimer = 2;
    delays.clear();
    Tick();
    EXPECT_EQ(Written(), "g");
    EXPECT_EQ(delays, (std::vector<double>{0.4}));
    EXPECT_EQ(Program.WSWLConnectStatus, 5);
    EXPECT_EQ(Program.WSWLConnectTimer, 3); // this step leaves the count running

    Tick();
    EXPECT_EQ(ui::GetText(ConnectionText), "Connected");
    // Data lines keep it; seven silent ticks lose it, with its identity.
    Receive("0100,0200,0300,0400,0500,0600\r\n");
    for (int i = 0; i < 6; ++i)
        Tick();
    EXPECT_EQ(Program.WSWLConnectStatus, 5);
    Tick();
    EXPECT_EQ(Program.WSWLConnectStatus, 0);
    EXPECT_EQ(ui::GetText(ConnectionText), "Not Connected");
    EXPECT_EQ(ui::GetText(core::mainpanel::WiredIdentity), "");
}

TEST_F(ConnectTimerTest, TheBoardGivesUpOnItsReportAndItsClockLine) {
    UseKind(core::Vazavevezeze);
    for (const auto& [status, allowed] : {std::pair{1, 3}, std::pair{3, 4}}) {
        Program.WSWLConnectStatus = status;
        Program.WSWLConnectTimer = 0;
        for (int i = 0; i < allowed; ++i)
            Tick();
        EXPECT_EQ(Program.WSWLConnectStatus, status);
        Tick();
        EXPECT_EQ(Program.WSWLConnectStatus, 0);
    }
    // In configure mode the board stays stopped after its clock line.
    Program.WSWLConfigMode = 1;
    Program.WSWLConnectStatus = 4;
    Written();
    Tick();
    EXPECT_EQ(Written(), "");
    EXPECT_EQ(Program.WSWLConnectStatus, 4);
    Program.WSWLConnectStatus = 9;
    Tick();
    EXPECT_EQ(Program.WSWLConnectStatus, 0);
}

TEST_F(ConnectTimerTest, BindingSetsBothTimersPeriods) {
    EXPECT_EQ(ui::GetTimerInterval(core::timer::WiredConnect), 0.5);
    EXPECT_EQ(ui::GetTimerInterval(core::timer::WiredConfig), 0.5);
}

} // namespace
} // namespace undarix::testing
