#include "live/OutputStream.h"

#include "core/FrameBuffers.h"
#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "files/FileState.h"
#include "link/PortSelection.h"
#include "link/ReceiveState.h"
#include "link/SerialPort.h"
#include "live/DeviceTable.h"
#include "support/Fixtures.h"
#include "support/Pty.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"
#include "ui/Timers.h"

#include <cstring>
#include <string>

namespace undarix::testing {
namespace {

using namespace core;
using namespace live;

class OutputStreamTest : public PanelTest {
protected:
    // Adds the pseudo-terminal to the port lists and opens it as the output port.
    int OpenOutput() {
        link::AddExtraPortPath(pty.SlavePath());
        link::GetComPortOutPutList();
        const int port = link::PortNumberForPath(pty.SlavePath());
        ui::SetInt(mainpanel::OutputPortList, port);
        ui::Dispatch(mainpanel::OutputPortList, ui::Event::Commit);
        return port;
    }

    // The dispatcher's part: a decoded single value of unit `address`, handed to the writer.
    static void Decoded(std::uint64_t address, const std::string& text, float value) {
        const int slot = GetOutputLineLoc(address);
        OutputLine[slot].packetKind = text[0];
        std::memcpy(link::RxFrame + link::kPacketTextStart, text.data(), text.size());
        link::UartXbee.frameLength = int(link::kPacketTextStart + text.size());
        WorkValue[0] = value;
        CallHook(hooks.WriteOutputToFile, slot);
    }

    Pty pty;
};

TEST_F(OutputStreamTest, WithTheDataFileClosedLinesReachThePortOnly) {
    const int port = OpenOutput();
    ASSERT_EQ(Program.OpenComPortOutPutNum, port);
    EXPECT_EQ(link::ComBaudRate(port), 115200);
    EXPECT_TRUE(ui::IsDimmed(mainpanel::OutputPortList));
    EXPECT_TRUE(ui::IsVisible(mainpanel::StopOutputPortButton));

    Decoded(0x0013A20040000001, "C001,D1,S08,01234", 1.234f);
    Decoded(0x0013A20040000001, "C001,D9,12:00:01", 0.0f);
    EXPECT_EQ(pty.Read(), "C001,D1,S08,01.2340\r\nC001,D9,12:00:01\r\n");
    EXPECT_EQ(Program.OutputDataFileOpen, 0);
    EXPECT_FALSE(files::Files.data.SaveOutputDataHandle.IsOpen());

    // Whatever the other end sends is ignored.
    pty.Write("hello");
    EXPECT_TRUE(WaitUntil([&] { return link::GetInQLen(port) == 0; }, 500));
}

// The output port is watched as the unit port is: lost, said, tried again, back.
TEST_F(OutputStreamTest, ALostOutputPortIsSaidAndTakenUpAgain) {
    link::AddExtraPortPath("mem:stream");
    link::GetComPortOutPutList();
    const int port = link::PortNumberForPath("mem:stream");
    ui::SetInt(mainpanel::OutputPortList, port);
    ui::Dispatch(mainpanel::OutputPortList, ui::Event::Commit);
    ASSERT_EQ(Program.OpenComPortOutPutNum, port);
    Decoded(0x0013A20040000001, "C001,D9,12:00:01", 0.0f);
    EXPECT_EQ(link::MemoryPortTakeWritten(port), "C001,D9,12:00:01\r\n");

    link::MemoryPortUnplug(port);
    EXPECT_TRUE(ui::LastStatus().startsWith("The output stream's port mem:stream was lost"))
        << ui::LastStatus().toStdString();
    for (int tick = 0; tick < 6; ++tick)
        ui::TickTimer(timer::DeviceDisplay);
    EXPECT_TRUE(link::IsComLost(port));
    link::MemoryPortPlugIn(port);
    for (int tick = 0; tick < 3; ++tick)
        ui::TickTimer(timer::DeviceDisplay);
    EXPECT_FALSE(link::IsComLost(port));
    EXPECT_TRUE(ui::LastStatus().contains("is back")) << ui::LastStatus().toStdString();
    Decoded(0x0013A20040000001, "C001,D9,12:00:09", 0.0f);
    EXPECT_EQ(link::MemoryPortTakeWritten(port), "C001,D9,12:00:09\r\n");
}

TEST_F(OutputStreamTest, StopClosesThePortAndListsThePortsAgain) {
    const int port = OpenOutput();
    ui::Dispatch(mainpanel::StopOutputPortButton, ui::Event::Commit);
    EXPECT_FALSE(link::IsComOpen(port));
    EXPECT_EQ(Program.OpenComPortOutPutNum, 0);
    EXPECT_EQ(delays, std::vector<double>{0.5});
    EXPECT_FALSE(ui::IsDimmed(mainpanel::OutputPortList));
    EXPECT_FALSE(ui::IsVisible(mainpanel::StopOutputPortButton));
    EXPECT_EQ(ui::GetListLabel(mainpanel::OutputPortList, 0), "Select a serial port");
    Decoded(0x42, "C001,D9,12:00:01", 0.0f);
    EXPECT_EQ(pty.Read(50), "");
}

TEST_F(OutputStreamTest, TheUnitPortIsNeverTakenAsOutputPort) {
    link::AddExtraPortPath(pty.SlavePath());
    const int port = link::PortNumberForPath(pty.SlavePath());
    ASSERT_EQ(link::OpenComConfig(port, 115200), 0);
    Program.OpenComPortNum = port;
    link::GetComPortOutPutList();
    ui::SetInt(mainpanel::OutputPortList, port);
    ui::Dispatch(mainpanel::OutputPortList, ui::Event::Commit);
    EXPECT_EQ(Program.OpenComPortOutPutNum, 0);
    EXPECT_TRUE(link::IsComOpen(port));
    EXPECT_EQ(ui::GetInt(mainpanel::OutputPortList), 0);
}

// The other way round: the stream's port chosen as the unit port is refused with a status
// line, and the stream goes on, its port still open and its panel still saying so.
TEST_F(OutputStreamTest, TheOutputPortIsNeverTakenAsUnitPort) {
    const int port = OpenOutput();
    ASSERT_EQ(Program.OpenComPortOutPutNum, port);
    link::GetComPortList();
    ui::SetInt(mainpanel::ComPortList, port);
    ui::Dispatch(mainpanel::ComPortList, ui::Event::Commit);

    EXPECT_EQ(Program.OpenComPortNum, 0);
    EXPECT_EQ(ui::GetInt(mainpanel::ComPortList), 0);
    EXPECT_TRUE(ui::LastStatus().contains("output stream")) << ui::LastStatus().toStdString();
    EXPECT_TRUE(link::IsComOpen(port));
    EXPECT_EQ(Program.OpenComPortOutPutNum, port);
    EXPECT_TRUE(ui::IsVisible(mainpanel::StopOutputPortButton));
    Decoded(0x0013A20040000001, "C001,D9,12:00:01", 0.0f);
    EXPECT_EQ(pty.Read(), "C001,D9,12:00:01\r\n");
}

TEST_F(OutputStreamTest, TheZeroSwitchActsOnTheUnitOfItsRowOnly) {
    const int first = GetOutputLineLoc(0x20);  // row 1
    const int second = GetOutputLineLoc(0x10); // row 0
    OutputLine[first].lastValue = 1.5f;
    OutputLine[second].lastValue = 0.7f;
    OutputLine[7].lastValue = 3.0f; // a free record, also in row 0

    const std::string row1 = ui::ArrayItemName(mainpanel::ZeroAbsArray, 1);
    ui::SetInt(row1, 1);
    ui::Dispatch(row1, ui::Event::Commit);
    EXPECT_EQ(OutputLine[first].zeroMode, 1);
    EXPECT_EQ(OutputLine[first].zeroOffset, 1.5f);
    EXPECT_EQ(OutputLine[second].zeroMode, 0);

    const std::string row0 = ui::ArrayItemName(mainpanel::ZeroAbsArray, 0);
    ui::SetInt(row0, 1);
    ui::Dispatch(row0, ui::Event::Commit);
    EXPECT_EQ(OutputLine[second].zeroOffset, 0.7f);
    EXPECT_EQ(OutputLine[7].zeroMode, 0); // free: nothing to carry to the next unit
    EXPECT_EQ(OutputLine[7].zeroOffset, 0.0f);

    // Off keeps the offset without effect.
    ui::SetInt(row1, 0);
    ui::Dispatch(row1, ui::Event::Commit);
    EXPECT_EQ(OutputLine[first].zeroMode, 0);
    EXPECT_EQ(OutputLine[first].zeroOffset, 1.5f);

    // An empty row changes nothing.
    const std::string row5 = ui::ArrayItemName(mainpanel::ZeroAbsArray, 5);
    ui::SetInt(row5, 1);
    ui::Dispatch(row5, ui::Event::Commit);
    for (const OutputLineRecord& record : OutputLine) {
        if (&record == &OutputLine[second]) continue;
        EXPECT_EQ(record.zeroMode, 0);
    }
    EXPECT_EQ(ui::HelpOf(row5)->title, "ZeroABS");
}

TEST_F(OutputStreamTest, RelativeValuesGoToTheStreamAsTheDispatcherLeavesThem) {
    const int port = OpenOutput();
    ASSERT_NE(port, 0);
    const int slot = GetOutputLineLoc(0x0013A20040000002);
    OutputLine[slot].lastValue = 1.5f;
    const std::string row = ui::ArrayItemName(mainpanel::ZeroAbsArray, OutputLine[slot].displayRow);
    ui::SetInt(row, 1);
    ui::Dispatch(row, ui::Event::Commit);
    // The next sample of 1.75 m, less the offset the switch took.
    Decoded(0x0013A20040000002, "C002,D1,S08,01750", 1.75f - OutputLine[slot].zeroOffset);
    EXPECT_EQ(pty.Read(), "C002,D1,S08,00.2500\r\n");
}

} // namespace
} // namespace undarix::testing
