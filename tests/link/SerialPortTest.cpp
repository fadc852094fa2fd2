// The serial facade and the unit-port selector over real pseudo-terminals.

#include "link/SerialPort.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/PortSelection.h"
#include "support/Fixtures.h"
#include "support/Pty.h"
#include "ui/ControlRegistry.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"
#include "ui/Timers.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace undarix::testing {
namespace {

using namespace core;

speed_t LineSpeedOf(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    termios t{};
    tcgetattr(fd, &t);
    ::close(fd);
    return cfgetospeed(&t);
}

class SerialPortTest : public HeadlessTest {};

TEST_F(SerialPortTest, PortListStartsWithTheNoPortItemAndListsExtraPaths) {
    link::AddExtraPortPath("/dev/pts/ttyA");
    link::AddExtraPortPath("/dev/pts/ttyB", "Simulated units");
    link::GetComPortList();
    const int n = ui::GetListCount(mainpanel::ComPortList);
    ASSERT_GE(n, 3);
    EXPECT_EQ(ui::GetListLabel(mainpanel::ComPortList, 0), "Select a serial port");
    EXPECT_EQ(ui::GetListValue(mainpanel::ComPortList, 0), 0);
    EXPECT_EQ(ui::GetListLabel(mainpanel::ComPortList, n - 2), "/dev/pts/ttyA");
    EXPECT_EQ(ui::GetListLabel(mainpanel::ComPortList, n - 1), "Simulated units");
    const int numberA = ui::GetListValue(mainpanel::ComPortList, n - 2);
    EXPECT_EQ(link::PortPathFor(numberA), "/dev/pts/ttyA");
    // Numbers stay with their paths when the list is rebuilt.
    link::GetComPortOutPutList();
    link::GetComPortList();
    EXPECT_EQ(ui::GetListValue(mainpanel::ComPortList, n - 2), numberA);
    EXPECT_EQ(ui::GetListCount(mainpanel::OutputPortList), n);
}

TEST_F(SerialPortTest, OpensAPseudoTerminalAtTheSpeedOfEachKindAndCarriesBytes) {
    struct Case {
        int unitType;
        speed_t speed;
    };
    for (const Case c : {Case{0, B115200}, Case{4, B9600}, Case{7, B38400}}) {
        SCOPED_TRACE(c.unitType);
        Pty pty;
        const int port = link::PortNumberForPath(pty.SlavePath());
        ASSERT_EQ(link::OpenComConfig(port, BaudRateFor(c.unitType)), 0)
            << qPrintable(link::LastComError());
        EXPECT_EQ(LineSpeedOf(pty.SlavePath()), c.speed);

        link::ComWrt(port, "\x7E\x00\x04", 3);
        link::ComWrtByte(port, 0x7D);
        EXPECT_EQ(pty.Read(), std::string("\x7E\x00\x04\x7D", 4));

        std::string received;
        link::InstallComCallback(port, link::kRxCharEvent, [&](int p, int) {
            while (link::GetInQLen(p) > 0)
                received += char(link::ComRdByte(p));
        });
        pty.Write(std::string("C001,D1\r\n\0\xFF", 11));
        EXPECT_TRUE(WaitUntil([&] { return received.size() == 11; }));
        EXPECT_EQ(received, std::string("C001,D1\r\n\0\xFF", 11));
        link::CloseCom(port);
    }
}

TEST_F(SerialPortTest, ACallbackIsNotReenteredByBytesArrivingDuringIt) {
    const int port = link::PortNumberForPath("mem:reentry");
    ASSERT_EQ(link::OpenComConfig(port, 115200), 0);
    int depth = 0, maxDepth = 0;
    std::string received;
    link::InstallComCallback(port, link::kRxCharEvent, [&](int p, int) {
        maxDepth = std::max(maxDepth, ++depth);
        while (link::GetInQLen(p) > 0) {
            const int byte = link::ComRdByte(p);
            received += char(byte);
            if (byte == 'a') link::MemoryPortReceive(p, "bc"); // arrives while we run
        }
        --depth;
    });
    link::MemoryPortReceive(port, "a");
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(received, "abc");
}

class PortSelectionTest : public PanelTest {
protected:
    int SelectPort(const QString& path) {
        link::AddExtraPortPath(path);
        link::GetComPortList();
        const int port = link::PortNumberForPath(path);
        ui::SetInt(mainpanel::ComPortList, port);
        ui::Dispatch(mainpanel::ComPortList, ui::Event::Commit);
        return port;
    }
};

TEST_F(PortSelectionTest, OpeningARadioPortSwitchesToTheRadioTimers) {
    Pty pty;
    const int port = SelectPort(pty.SlavePath());
    EXPECT_EQ(Program.OpenComPortNum, port);
    EXPECT_TRUE(ui::IsDimmed(mainpanel::ComPortList));
    EXPECT_TRUE(ui::IsVisible(mainpanel::ChangeComPortButton));
    EXPECT_TRUE(ui::IsTimerEnabled(timer::DeviceDisplay));
    EXPECT_TRUE(ui::IsTimerEnabled(timer::Config));
    EXPECT_FALSE(ui::IsTimerEnabled(timer::WiredConnect));
    EXPECT_FALSE(ui::IsTimerEnabled(timer::WiredConfig));
    EXPECT_EQ(link::ComBaudRate(port), 115200);

    ui::Dispatch(mainpanel::ChangeComPortButton, ui::Event::Commit);
    EXPECT_EQ(Program.OpenComPortNum, 0);
    EXPECT_FALSE(link::IsComOpen(port));
    EXPECT_FALSE(ui::IsDimmed(mainpanel::ComPortList));
    EXPECT_FALSE(ui::IsVisible(mainpanel::ChangeComPortButton));
    EXPECT_EQ(ui::GetText(configpage::ConnectionText), "Not Connected");
    EXPECT_EQ(ui::GetTextColor(configpage::ConnectionText), ui::kRed);
    EXPECT_TRUE(ui::IsDimmed(mainpanel::LocalPanId));
    ASSERT_FALSE(delays.empty());
    EXPECT_DOUBLE_EQ(delays.back(), 0.5);
}

TEST_F(PortSelectionTest, OpeningAWiredPortSwitchesToTheWiredTimers) {
    Pty pty;
    Program.UnitType = 5;
    Program.WSWLConnectStatus = 6;
    const int port = SelectPort(pty.SlavePath());
    EXPECT_EQ(link::ComBaudRate(port), 9600);
    EXPECT_EQ(Program.WSWLConnectStatus, 0);
    EXPECT_FALSE(ui::IsTimerEnabled(timer::DeviceDisplay));
    EXPECT_TRUE(ui::IsTimerEnabled(timer::WiredConnect));
    EXPECT_TRUE(ui::IsTimerEnabled(timer::WiredConfig));
}

TEST_F(PortSelectionTest, TheNoPortItemOpensNothing) {
    ui::SetInt(mainpanel::ComPortList, 0);
    ui::Dispatch(mainpanel::ComPortList, ui::Event::Commit);
    EXPECT_EQ(Program.OpenComPortNum, 0);
    EXPECT_FALSE(ui::IsDimmed(mainpanel::ComPortList));
    EXPECT_FALSE(ui::IsTimerEnabled(timer::DeviceDisplay));
}

TEST_F(PortSelectionTest, APortThatWillNotOpenSaysWhyInTheStatusBarWithoutAPopUp) {
    SelectPort("/dev/undarix-no-such-port");
    EXPECT_EQ(Program.OpenComPortNum, 0);
    EXPECT_FALSE(ui::IsDimmed(mainpanel::ComPortList));
    EXPECT_TRUE(ui::LastStatus().startsWith("Could not open the port"));
    EXPECT_TRUE(ui::LastStatus().contains("/dev/undarix-no-such-port"));
}

} // namespace
} // namespace undarix::testing
