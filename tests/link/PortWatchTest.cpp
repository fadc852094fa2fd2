// The watch over the unit port: a port lost while open is shown and let go, nothing is sent
// into it, and when it answers again it is reopened with the kind's opening steps done again.

#include "link/PortWatch.h"
#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/PanId.h"
#include "link/PortIdentity.h"
#include "link/PortSelection.h"
#include "link/SerialPort.h"
#include "link/codec/ApiFrame.h"
#include "live/DeviceTable.h"
#include "support/Fixtures.h"
#include "support/Pty.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"
#include "ui/Timers.h"
#include "ui/ToolTip.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstring>

namespace undarix::testing {
namespace {

using namespace core;

class PortWatchTest : public PanelTest {
protected:
    int SelectPort(int kind) {
        Program.UnitType = kind;
        link::AddExtraPortPath("mem:adapter");
        link::GetComPortList();
        const int port = link::PortNumberForPath("mem:adapter");
        ui::SetInt(mainpanel::ComPortList, port);
        ui::Dispatch(mainpanel::ComPortList, ui::Event::Commit);
        return port;
    }
    static std::string Written(int port) { return link::MemoryPortTakeWritten(port); }
    static void TickWiredConnect(int ticks) {
        for (int i = 0; i < ticks; ++i)
            ui::TickTimer(timer::WiredConnect);
    }
};

TEST_F(PortWatchTest, ALostPortIsShownLeftAloneAndReopenedWithTheKindsOpeningSteps) {
    struct Case {
        int kind;
        std::string opening; // what the program sends first on the port that came back
    };
    const Case cases[] = {
        {RavoZerarXB, std::string("\x08\x01ID", 4)}, // the adapter's PAN ID asked again
        {DeveZuravi404E, "st"},                      // the wired hand-shake from the start
        {Vazavevezeze, "\r\ngst"},                   // the board woken again
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const int port = SelectPort(c.kind);
        ASSERT_EQ(Program.OpenComPortNum, port);
        EXPECT_EQ(ui::GetLedColor(mainpanel::PortOpenLed), link::kPortLedOpen);
        EXPECT_TRUE(ui::IsTimerEnabled(timer::PortWatch));
        Program.WSWLConnectStatus = 8; // a wired unit running
        (void)Written(port);
        const int slot = live::GetOutputLineLoc(0x42);
        live::OutputLine[slot].updated = 1;
        live::WrLine2Display(slot);
        const std::string power = ui::ArrayItemName(mainpanel::PowerArray, 0);
        ASSERT_EQ(ui::GetInt(power), 1);

        SetNow(QDateTime(QDate(2026, 12, 7), QTime(3, 4, 5)));
        link::MemoryPortUnplug(port);
        EXPECT_TRUE(link::IsComLost(port));
        EXPECT_EQ(ui::GetLedColor(mainpanel::PortOpenLed), link::kPortLedLost);
        EXPECT_TRUE(ui::LastStatus().startsWith("Port mem:adapter lost at 03:04:05: "))
            << ui::LastStatus().toStdString();
        EXPECT_TRUE(link::UnitPortAway());
        // The loss stays in sight: the LED's tool tip, the units shown as not heard, and the
        // status line said again (after leaving other messages a few seconds).
        EXPECT_TRUE(ui::GetToolTip(mainpanel::PortOpenLed).startsWith("Port mem:adapter lost"));
        EXPECT_EQ(ui::GetInt(power), 0);
        EXPECT_TRUE(ui::IsDimmed(power));
        ui::ShowStatus("another message");
        ui::TickTimer(timer::PortWatch);
        EXPECT_EQ(ui::LastStatus(), "another message");

        // Away: tried again and again, and nothing is sent into the void.
        for (int i = 0; i < 3; ++i)
            ui::TickTimer(timer::PortWatch);
        EXPECT_TRUE(ui::LastStatus().startsWith("Port mem:adapter lost at 03:04:05: "))
            << ui::LastStatus().toStdString();
        TickWiredConnect(10);
        EXPECT_TRUE(link::IsComLost(port));
        EXPECT_EQ(Written(port), "");
        EXPECT_EQ(Program.OpenComPortNum, port); // the user's choice of port stands

        link::MemoryPortPlugIn(port);
        ui::TickTimer(timer::PortWatch);
        EXPECT_FALSE(link::IsComLost(port));
        EXPECT_FALSE(link::UnitPortAway());
        EXPECT_EQ(ui::GetLedColor(mainpanel::PortOpenLed), link::kPortLedOpen);
        EXPECT_EQ(ui::GetToolTip(mainpanel::PortOpenLed), "");
        EXPECT_TRUE(ui::LastStatus().startsWith("Port mem:adapter reconnected at "))
            << ui::LastStatus().toStdString();
        EXPECT_TRUE(ui::LastStatus().contains(" after a gap of "))
            << ui::LastStatus().toStdString();
        if (!IsRadioKind(c.kind)) {
            EXPECT_EQ(Program.WSWLConnectStatus, 0);
            TickWiredConnect(1);
        }
        EXPECT_NE(Written(port).find(c.opening), std::string::npos);

        ui::Dispatch(mainpanel::ChangeComPortButton, ui::Event::Commit);
        EXPECT_FALSE(ui::IsTimerEnabled(timer::PortWatch));
    }
}

TEST_F(PortWatchTest, AFrameCutShortByTheGapDoesNotSwallowTheFirstFrameAfterIt) {
    int served = 0;
    hooks.RxDataService = [&served](std::uint8_t) { ++served; };
    const int port = SelectPort(RavoZerarXB);
    const std::string data = std::string("\x8B\x01\xFF\xFE\x00\x00\x00", 7);
    std::uint8_t wire[link::codec::kMaxEncodedFrame];
    const std::string frame(
        reinterpret_cast<const char*>(wire),
        link::codec::EncodeApiFrame(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(),
                                    wire));
    link::MemoryPortReceive(port, frame.substr(0, 5));
    link::MemoryPortUnplug(port);
    link::MemoryPortPlugIn(port);
    ui::TickTimer(timer::PortWatch);
    link::MemoryPortReceive(port, frame + frame);
    EXPECT_EQ(served, 2);
}

// A port whose path is removed, or made to name another device, while the device itself
// goes on without a read error (a pseudo-terminal whose other side stays open): only the
// watch's own check of the path can notice it.
TEST_F(PortWatchTest, APathRemovedOrRePointedIsNoticedWithoutAReadError) {
    struct Case {
        const char* what;
        bool rePoint; // else removed
        const char* reason;
    };
    const Case cases[] = {
        {"path removed", false, "the device has disappeared"},
        {"path now names another device", true, "its path now names another device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        Pty unit, other;
        const QString path = dir.filePath("adapter");
        ASSERT_TRUE(QFile::link(unit.SlavePath(), path));
        Program.UnitType = RavoZerarXB;
        link::AddExtraPortPath(path);
        link::GetComPortList();
        const int port = link::PortNumberForPath(path);
        ui::SetInt(mainpanel::ComPortList, port);
        ui::Dispatch(mainpanel::ComPortList, ui::Event::Commit);
        ASSERT_EQ(Program.OpenComPortNum, port);
        ui::TickTimer(timer::PortWatch);
        ASSERT_FALSE(link::UnitPortAway());

        ASSERT_TRUE(QFile::remove(path));
        if (c.rePoint) ASSERT_TRUE(QFile::link(other.SlavePath(), path));
        ui::TickTimer(timer::PortWatch);
        EXPECT_TRUE(link::UnitPortAway());
        EXPECT_EQ(link::UnitPortWatch.reason, c.reason);
        EXPECT_EQ(ui::GetLedColor(mainpanel::PortOpenLed), link::kPortLedLost);
        link::CloseUnitPort();
    }
}

// A unit command awaiting its answer when the adapter comes back keeps TxStr: the adapter's
// PAN ID is asked once the command is answered, not in its place.
TEST_F(PortWatchTest, ThePanIdRequestAfterAReconnectWaitsForTheCommandUnderWay) {
    const int port = SelectPort(RavoZerarXB);
    ASSERT_EQ(Program.OpenComPortNum, port);
    const std::string askId("\x08\x01ID", 4);
    link::PanId.pendingRoute = 0; // the adapter answered; then a unit command went out
    std::strcpy(Program.TxStr, "DN,003");
    Program.TxWait = 1;
    link::MemoryPortUnplug(port);
    link::MemoryPortPlugIn(port);
    (void)Written(port);
    ui::TickTimer(timer::PortWatch);
    ASSERT_FALSE(link::UnitPortAway());
    EXPECT_EQ(Written(port).find(askId), std::string::npos);
    EXPECT_STREQ(Program.TxStr, "DN,003");

    Program.TxWait = 0; // the command's answer came
    ui::TickTimer(timer::Config);
    EXPECT_NE(Written(port).find(askId), std::string::npos);
    ui::TickTimer(timer::Config);
    EXPECT_EQ(Written(port).find(askId), std::string::npos) << "asked once";
}

TEST(GapText, SaysTheGapInTheUnitsThatSuitIt) {
    const struct {
        std::int64_t ms;
        const char* text;
    } cases[] = {
        {0, "0 s"},
        {499, "0 s"},
        {500, "1 s"},
        {59'499, "59 s"},
        {59'500, "1 min 00 s"},
        {185'000, "3 min 05 s"},
        {3'599'400, "59 min 59 s"},
        {3'600'000, "1 h 00 min"},
        {8'040'000, "2 h 14 min"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(link::GapText(c.ms).toStdString(), c.text) << c.ms;
}

TEST(FindPortLike, TheSameAdapterIsFoundOnItsNewPath) {
    using link::PortCandidate;
    using link::PortIdentity;
    const PortIdentity ftdi{"A50285BI", 0x0403, 0x6001, "/sys/devices/usb1/1-1/1-1:1.0"};
    const PortIdentity noSerial{"", 0x10C4, 0xEA60, "/sys/devices/usb1/1-2/1-2:1.0"};
    const PortIdentity builtIn{};
    const struct {
        const char* what;
        PortIdentity wanted;
        std::vector<PortCandidate> present;
        const char* found; // nullptr: none
    } cases[] = {
        {"same serial number, new path",
         ftdi,
         {{"/dev/ttyS0", builtIn}, {"/dev/ttyUSB1", ftdi}},
         "/dev/ttyUSB1"},
        {"same serial number in another socket",
         ftdi,
         {{"/dev/ttyUSB3", {"A50285BI", 0x0403, 0x6001, "/sys/devices/usb1/1-3/1-3:1.0"}}},
         "/dev/ttyUSB3"},
        {"two with one serial number: the one in the same socket",
         ftdi,
         {{"/dev/ttyUSB0", {"A50285BI", 0x0403, 0x6001, "/sys/devices/usb1/1-4/1-4:1.0"}},
          {"/dev/ttyUSB2", ftdi}},
         "/dev/ttyUSB2"},
        {"another adapter of the same make is not it",
         ftdi,
         {{"/dev/ttyUSB0", {"A9XXXXXX", 0x0403, 0x6001, "/sys/devices/usb1/1-1/1-1:1.0"}}},
         nullptr},
        {"without a serial number: the same socket",
         noSerial,
         {{"/dev/ttyUSB0", ftdi}, {"/dev/ttyUSB4", noSerial}},
         "/dev/ttyUSB4"},
        {"without a serial number, another socket is not it",
         noSerial,
         {{"/dev/ttyUSB4", {"", 0x10C4, 0xEA60, "/sys/devices/usb1/1-3/1-3:1.0"}}},
         nullptr},
        {"a port that is not USB is only ever its own path",
         builtIn,
         {{"/dev/ttyS1", builtIn}},
         nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<QString> found = link::FindPortLike(c.wanted, c.present);
        if (c.found)
            EXPECT_EQ(found.value_or("none").toStdString(), c.found) << c.what;
        else
            EXPECT_FALSE(found.has_value()) << c.what;
    }
}

} // namespace
} // namespace undarix::testing
