// Lines of wired units and of the board turned into receive-packet frames.

#include "link/WiredReceive.h"
#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/ReceivePath.h"
#include "link/ReceiveState.h"
#include "link/SerialPort.h"
#include "link/codec/SyntheticFrame.h"
#include "support/Fixtures.h"
#include "ui/Controls.h"

#include <vector>

namespace undarix::testing {
namespace {

using core::Program;

struct Frame {
    std::string header; // the 12 bytes before the text
    std::string text;   // from index 12 to the frame length
    int tenth;
};

class WiredReceiveTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        Program.UnitType = core::WiredRavoZerar402E;
        Program.WSWLConnectStatus = 8;
        Program.WiredSampleRate = 8;
        Program.WSAll.StaffLength = 2000.0f;
        port = link::PortNumberForPath("mem:wired");
        ASSERT_EQ(link::OpenComConfig(port, 9600), 0);
        link::InstallComCallback(port, link::kRxCharEvent, link::ComCallback);
        core::hooks.RxDataService = [this](std::uint8_t tenth) {
            EXPECT_EQ(link::UartXbee.receiveState, 3);
            const char* frame = reinterpret_cast<const char*>(link::RxFrame);
            frames.push_back({std::string(frame, 12),
                              std::string(frame + 12, std::size_t(link::UartXbee.frameLength - 12)),
                              tenth});
            link::UartXbee.receiveState = 0;
        };
    }
    void Receive(const std::string& bytes) { link::MemoryPortReceive(port, bytes); }

    int port = 0;
    std::vector<Frame> frames;
};

TEST_F(WiredReceiveTest, CountsBecomeSampleFramesInMillimetresOrTenths) {
    struct Case {
        float staff;
        std::string line;
        std::string text;
        int tenth;
    };
    const Case cases[] = {
        {2000.0f, "2047\r\n", std::string("C001,D1,S08,09997\r\n", 19), 1},
        {12000.0f, "2047\r\n", std::string("C001,D1,S08,05998\r\n", 19), 0},
        {9999.0f, "4095\r\n", std::string("C001,D1,S08,99990\r\n", 19), 1},
        {10000.0f, "0000\r\n", std::string("C001,D1,S08,00000\r\n", 19), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line + std::to_string(c.staff));
        frames.clear();
        Program.WSAll.StaffLength = c.staff;
        Receive(c.line);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].header, std::string("\x90\0\0\0\0\0\0\0\x01\x01\x00\x41", 12));
        EXPECT_EQ(frames[0].text, c.text); // frame length 31
        EXPECT_EQ(frames[0].tenth, c.tenth);
    }
}

TEST_F(WiredReceiveTest, EverySixtiethSampleBringsTheDateAndTimeOfThePC) {
    SetNow(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
    for (int i = 0; i < 59; ++i)
        Receive("1000\r\n");
    EXPECT_EQ(frames.size(), 59u);
    Receive("1000\r\n");
    ASSERT_EQ(frames.size(), 62u);
    EXPECT_EQ(frames[60].text, std::string("C001,D8,2026-03-04\0", 19)); // frame length 31
    EXPECT_EQ(frames[61].text, std::string("C001,D9,05:06:07\0\0", 18)); // frame length 30
    EXPECT_EQ(frames[61].header[8], 1);
    Receive("1000\r\n");
    EXPECT_EQ(frames.size(), 63u);
}

TEST_F(WiredReceiveTest, TheAirTemperatureFieldMakesAFrameAndLightsItsDisplay) {
    ui::SetDimmed(core::mainpanel::AirTempLive, true);
    Receive("2047,0350\r\n");
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].text, std::string("C001,D4,21.9\0", 13)); // 350 x 0.0625, length 25
    EXPECT_EQ(frames[1].tenth, 0);
    EXPECT_FALSE(ui::IsDimmed(core::mainpanel::AirTempLive));

    // A five-digit field is read whole; a shorter earlier line leaves nothing stale behind.
    frames.clear();
    Receive("2047,01600\r\n2047,08\r\n");
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[1].text, std::string("C001,D4,100.0", 13));
    EXPECT_EQ(frames[3].text, std::string("C001,D4,00.5\0", 13));

    frames.clear();
    Receive("2047\r\n");
    EXPECT_EQ(frames.size(), 1u);
    EXPECT_TRUE(ui::IsDimmed(core::mainpanel::AirTempLive));
}

TEST_F(WiredReceiveTest, OnlyARunningUnitSendsSamplesAndEveryByteKeepsItConnected) {
    for (int status : {0, 2, 4, 6, 9}) {
        Program.WSWLConnectStatus = status;
        Receive("2047\r\n");
    }
    EXPECT_TRUE(frames.empty());

    Program.WSWLConnectStatus = 8;
    Program.WSWLConnectTimer = 2;
    Receive("2");
    EXPECT_EQ(Program.WSWLConnectTimer, 0);
    Receive("047\r\n");
    EXPECT_EQ(frames.size(), 1u);

    Program.DataSource = core::kSourceFile; // a file playing: the unit goes on being logged
    Receive("2047\r\n");
    EXPECT_EQ(frames.size(), 2u);
}

TEST_F(WiredReceiveTest, ALongLineWrapsInsideTheBuffer) {
    Receive(std::string(1000, '7'));
    EXPECT_GE(link::WiredRx.index, 1);
    EXPECT_LE(link::WiredRx.index, 140);
    frames.clear();
    Receive("\r\n1234\r\n");
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back().text.substr(0, 17), "C001,D1,S08,06026"); // 1234 of a 2000 mm staff
}

TEST_F(WiredReceiveTest, TheBoardAssemblesLinesUpToTheLineFeed) {
    Program.UnitType = core::Vazavevezeze;
    Receive(std::string("ab\0c\n", 5));
    EXPECT_EQ(link::WiredRx.index, 0);
    EXPECT_EQ(std::string(link::WiredRx.line), "abc\n"); // a zero byte is not kept
    Receive(std::string(300, 'x'));
    EXPECT_LE(link::WiredRx.index, 141);
    Receive("\n");
    EXPECT_EQ(link::WiredRx.index, 0);
    EXPECT_TRUE(frames.empty());
}

TEST(SyntheticFrame, KeepsItsLengthsAndNeverCutsAnOutOfRangeValue) {
    std::uint8_t frame[link::codec::kSyntheticFrameRoom];
    EXPECT_EQ(link::codec::BuildSampleFrame(3, 16, 123, frame), 31);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(frame + 12), 19), "C003,D1,S16,00123\r\n");
    EXPECT_EQ(frame[8], 3);
    EXPECT_EQ(link::codec::BuildSampleFrame(1, 8, 123456, frame), 32);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(frame + 12), 20), "C001,D1,S08,123456\r\n");
    EXPECT_EQ(link::codec::BuildAirTemperatureFrame(-5.25, frame), 25);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(frame + 12)), "C001,D4,-5.2");

    EXPECT_EQ(link::codec::WiredCountToValue(2047, 2000.0).value, 9997);
    EXPECT_EQ(link::codec::WiredCountToValue(2047, 12000.0).value, 5998);
    EXPECT_EQ(link::codec::WiredCountToValue(4095, 0.0).value, 0);
    EXPECT_TRUE(link::codec::WiredCountToValue(4095, 0.0).tenths);
}

} // namespace
} // namespace undarix::testing
