// A wired unit and the board at the far end of a pseudo-terminal: the hand-shake through the
// real serial port, samples into the device table, a configuration change read back, and the
// unit set running again.

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "core/codec/ConfigBlock.h"
#include "link/PortSelection.h"
#include "link/SerialPort.h"
#include "live/DeviceTable.h"
#include "support/Fixtures.h"
#include "support/Pty.h"
#include "ui/ControlRegistry.h"
#include "ui/Controls.h"
#include "ui/Delay.h"
#include "ui/Timers.h"

#include <cstring>

namespace undarix::testing {
namespace {

using namespace core;
using namespace live;

class WiredUnitOnPtyTest : public PanelTest {
protected:
    // Opens the pseudo-terminal as the unit port of `unitType`; the timers are ticked by hand.
    void OpenAs(int unitType) {
        Program.UnitType = unitType;
        link::AddExtraPortPath(pty.SlavePath());
        link::GetComPortList();
        const int port = link::PortNumberForPath(pty.SlavePath());
        ui::SetInt(mainpanel::ComPortList, port);
        ui::Dispatch(mainpanel::ComPortList, ui::Event::Commit);
        ASSERT_EQ(Program.OpenComPortNum, port);
        ASSERT_TRUE(ui::IsTimerEnabled(timer::WiredConnect));
        ui::SetTimerEnabled(timer::WiredConnect, false);
        ui::SetTimerEnabled(timer::WiredConfig, false);
    }
    // One connection-timer tick; returns what it sent.
    std::string Tick() {
        ui::TickTimer(timer::WiredConnect);
        return pty.Read(100);
    }
    // The unit answers and the program takes the answer to the expected state.
    void Answer(const std::string& reply, int status) {
        pty.Write(reply);
        ASSERT_TRUE(WaitUntil([&] { return Program.WSWLConnectStatus == status; }))
            << reply << " left the state at " << Program.WSWLConnectStatus;
    }
    static std::string Block(int sampleRate) {
        core::WiredConfigRecord record;
        std::memcpy(record.Version, "23.00", 6);
        record.Prescale = 148; // 3 m
        record.Gain = 4096.0f;
        record.Offset = -500.0f;
        record.SampleRate = std::uint8_t(sampleRate);
        record.ModeFlags = 0x02;
        char out[core::codec::kBlockBufferSize];
        core::codec::BuildConfigBlock(record, 3, out);
        return out;
    }
    void ReadUnit(int sampleRate) {
        EXPECT_EQ(Tick(), "st");
        Answer("STOK,", 2);
        EXPECT_EQ(Tick(), "i");
        Answer("IOK,RZ-402E-001234,", 4);
        EXPECT_EQ(Tick(), "r");
        Answer("ROK," + Block(sampleRate), 6);
    }
    static std::string OutputText(int row) {
        return ui::GetText(ui::ArrayItemName(mainpanel::OutputArray, row)).toStdString();
    }

    Pty pty;
};

TEST_F(WiredUnitOnPtyTest, AUnitConnectsStreamsIsReconfiguredAndRunsAgain) {
    OpenAs(WiredRavoZerar402E);
    ReadUnit(10);
    EXPECT_EQ(Tick(), "g");
    Answer("GOK,", 8);
    Tick();
    EXPECT_EQ(ui::GetText(mainpanel::ConnectionText), "Connected");

    // 2047 of a 3 m staff: 1499.6 mm.
    pty.Write("2047\r\n");
    ASSERT_TRUE(WaitUntil([&] { return OutputText(0) == "1.4996"; })) << OutputText(0);
    EXPECT_EQ(ui::GetInt(ui::ArrayItemName(mainpanel::RateArray, 0)), 10);

    // Configure: stopped, read and shown.
    ui::SetInt(configpage::ConfigureRunSwitch, 1);
    ui::Dispatch(configpage::ConfigureRunSwitch, ui::Event::Commit);
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(ui::GetText(mainpanel::ConnectionText), "Not Connected");
    ReadUnit(10);
    ui::TickTimer(timer::WiredConfig);
    ui::TickTimer(timer::WiredConfig);
    EXPECT_EQ(ui::GetText(mainpanel::ConnectionText), "Configure Mode");
    EXPECT_EQ(ui::GetText(configpage::SerialNumberText), "RZ-402E-001234");
    EXPECT_EQ(ui::GetInt(configpage::WiredSampleRateField), 10);

    // A new sample rate goes out in the block; the unit's read-back shows it.
    // The unit takes the bytes during the program's waits, as a real line does before the
    // output queue is emptied again.
    std::string written;
    ui::SetDelayDriver([&](double) { written += pty.Read(20); });
    ui::SetInt(configpage::WiredSampleRateField, 20);
    ui::Dispatch(configpage::WiredSampleRateField, ui::Event::Commit);
    written += pty.Read(100);
    ui::SetDelayDriver([this](double seconds) { delays.push_back(seconds); });
    ASSERT_EQ(written.size(), 133u);
    EXPECT_EQ(written.substr(0, 24), "w23,94,00,10,00,FE,0C,14");
    EXPECT_TRUE(ui::IsDimmed(configpage::WiredSampleRateField));
    ReadUnit(20);
    ui::TickTimer(timer::WiredConfig);
    ui::TickTimer(timer::WiredConfig);
    EXPECT_EQ(ui::GetInt(configpage::WiredSampleRateField), 20);
    EXPECT_FALSE(ui::IsDimmed(configpage::WiredSampleRateField));

    // Run: the unit is set running again and streams at its new rate.
    ui::SetInt(configpage::ConfigureRunSwitch, 0);
    ui::Dispatch(configpage::ConfigureRunSwitch, ui::Event::Commit);
    EXPECT_EQ(Tick(), "g");
    Answer("GOK,", 8);
    pty.Write("1000\r\n");
    ASSERT_TRUE(
        WaitUntil([&] { return ui::GetInt(ui::ArrayItemName(mainpanel::RateArray, 0)) == 20; }));
    EXPECT_EQ(OutputText(0), "0.7326"); // the first line after the start acknowledgement

    // Leaving the port sets a stopped unit running: "g" before it closes.
    ui::Dispatch(mainpanel::ChangeComPortButton, ui::Event::Commit);
    EXPECT_EQ(pty.Read(200), "g");
}

TEST_F(WiredUnitOnPtyTest, TheBoardStreamsEightStaffs) {
    OpenAs(Vazavevezeze);
    for (int row = 1; row <= 8; ++row)
        ui::SetTableCell(mainpanel::BoardStaffTable, row, 1, 2.0);
    EXPECT_EQ(Tick(), "\r\ngst");
    Answer("Serial Number: VZ-312-412-0000123\r\nFsample Frequency: 08\r\n"
           "System status: ready\r\n",
           2);
    EXPECT_EQ(Tick(), "r");
    Answer("12/07/26 12:00:00\r\n", 4);
    EXPECT_EQ(Tick(), "g");
    pty.Write("4095,4095,4095,4095,4095,4095,4095,2047\r\n");
    ASSERT_TRUE(WaitUntil([&] { return OutputText(7) == "0.9997"; })) << OutputText(7);
    for (int row = 0; row < 7; ++row)
        EXPECT_EQ(OutputText(row), "2.0000") << row;
    EXPECT_EQ(ui::GetInt(ui::ArrayItemName(mainpanel::DeviceArray, 7)), 8);
    EXPECT_EQ(ui::GetInt(ui::ArrayItemName(mainpanel::RateArray, 7)), 8);
}

} // namespace
} // namespace undarix::testing
