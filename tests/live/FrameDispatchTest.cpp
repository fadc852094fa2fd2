// The frame dispatcher: receive packets into the device table and WorkValue, configuration
// replies and AT responses handed on, the time-sync hook, and what playback may not do.

#include "live/FrameDispatch.h"
#include "core/FrameBuffers.h"
#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/ReceiveState.h"
#include "live/DeviceTable.h"
#include "support/Fixtures.h"
#include "ui/Controls.h"

#include <QComboBox>

#include <algorithm>
#include <cstring>
#include <vector>

namespace undarix::testing {
namespace {

using namespace core;
using namespace live;

constexpr std::uint64_t kUnitA = 0x0013A20040A1B2C3ull;
constexpr std::uint64_t kUnitB = 0x0013A20040A1B2C0ull;

std::string Int16s(int count, int first, int step) {
    std::string s;
    for (int k = 0; k < count; ++k) {
        const auto v = std::uint16_t(first + k * step);
        s += char(v & 0xFF);
        s += char(v >> 8);
    }
    return s;
}

std::string Address(std::uint64_t address) {
    std::string s;
    for (int i = 7; i >= 0; --i)
        s += char(address >> (8 * i));
    return s;
}

class FrameDispatchTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        hooks.PlotContData = [this](int slot) {
            calls.push_back("PlotContData " + std::to_string(slot));
        };
        hooks.PlotData = [this](int slot) { calls.push_back("PlotData " + std::to_string(slot)); };
        hooks.WriteOutputToFile = [this](int slot) {
            calls.push_back("Write " + std::to_string(slot));
        };
        hooks.RxConfigData = [this](int slot) {
            calls.push_back("Config " + std::to_string(slot) + " " + RxChars);
        };
    }

    // Puts a frame into RxFrame, with stale bytes after it, and serves it.
    void Serve(const std::string& frame, std::uint8_t tenth = 0) {
        std::memset(link::RxFrame, '9', sizeof link::RxFrame);
        std::memcpy(link::RxFrame, frame.data(), frame.size());
        link::UartXbee.frameLength = int(frame.size());
        link::UartXbee.receiveState = 3;
        Program.FileRxStatus = 2; // a played frame under way is left as it is
        RxDataService(tenth);
        EXPECT_EQ(link::UartXbee.receiveState, 0);
        EXPECT_EQ(Program.FileRxStatus, Program.ServingPlayback ? 0 : 2); // a played one ends
    }
    void Packet(std::uint64_t address, const std::string& text, std::uint8_t tenth = 0) {
        Serve("\x90" + Address(address) + std::string("\xFF\xFE\x41", 3) + text, tenth);
    }
    static std::string IBlock(int rate, const std::string& samples) {
        char header[40];
        std::snprintf(header, sizeof header, "I004,S%02i,B2,2026-12-07T12:00:05,,", rate);
        return header + samples;
    }
    static std::string Cell(ui::Role array, int row) { return ui::ArrayItemName(array, row); }

    std::vector<std::string> calls;
};

TEST_F(FrameDispatchTest, ASampleRecordUpdatesItsRecordAndRow) {
    Packet(kUnitA, "C003,D1,S08,01234\r\n");
    const int slot = GetOutputLineLoc(kUnitA);
    const OutputLineRecord& r = OutputLine[slot];
    EXPECT_EQ(r.deviceNumber, 3);
    EXPECT_EQ(r.sampleRate, 8);
    EXPECT_FLOAT_EQ(r.lastValue, 1.234f);
    EXPECT_FLOAT_EQ(WorkValue[0], 1.234f);
    EXPECT_EQ(r.sampleCount, 1);
    EXPECT_EQ(r.updated, 1);
    EXPECT_EQ(r.recordType, 1);
    EXPECT_EQ(r.packetKind, 'C');
    EXPECT_EQ(ui::GetText(Cell(mainpanel::OutputArray, 0)), "1.2340");
    EXPECT_EQ(ui::GetInt(Cell(mainpanel::RateArray, 0)), 8);
    EXPECT_EQ(ui::GetInt(Cell(mainpanel::OffsetArray, 0)), 125);
    EXPECT_TRUE(calls.empty()) << "chart stopped, no file, no output port";

    Packet(kUnitA, "C003,D1,S08,01234\r\n", 1);
    EXPECT_FLOAT_EQ(OutputLine[slot].lastValue, 0.1234f);
    EXPECT_EQ(OutputLine[slot].sampleCount, 2);

    Program.PlottingRunning = 1;
    Program.OutputDataFileOpen = 1;
    OutputLine[slot].zeroMode = 1;
    OutputLine[slot].zeroOffset = 1.0f;
    Packet(kUnitA, "C003,D1,S08,01500\r\n");
    EXPECT_FLOAT_EQ(OutputLine[slot].lastValue, 0.5f);
    EXPECT_FLOAT_EQ(WorkValue[0], 0.5f);
    EXPECT_EQ(calls, (std::vector<std::string>{"PlotContData 0", "Write 0"}));
}

TEST_F(FrameDispatchTest, DateTimeBatteryAndTemperatureRecords) {
    Program.OpenComPortOutPutNum = 2; // the output stream alone also takes every line
    Packet(kUnitA, "C001,D8,2026-12-07\0");
    Packet(kUnitA, "C001,D9,12:34:56\0\0");
    const OutputLineRecord& r = OutputLine[0];
    EXPECT_STREQ(r.timeStamp, "2026-12-07T12:34:56");
    EXPECT_EQ(r.recordType, 9);
    EXPECT_EQ(r.sampleCount, 0);
    EXPECT_EQ(std::vector<int>({r.year, r.month, r.day, r.hour, r.minute, r.second}),
              (std::vector<int>{2026, 12, 7, 12, 34, 56}));
    EXPECT_EQ(ui::GetText(Cell(mainpanel::DateTimeArray, 0)), "2026-12-07T12:34:56");

    Packet(kUnitA, "C001,D7,L");
    EXPECT_EQ(r.batteryStatus, '2');
    EXPECT_EQ(ui::GetLedColor(Cell(mainpanel::LEDArray, 0)), 0xFFFF00u);
    Packet(kUnitA, "C001,D4,21.9");
    EXPECT_FLOAT_EQ(r.airTemperature, 21.9f);
    EXPECT_EQ(r.recordType, 4);
    EXPECT_EQ(calls.size(), 4u) << "one line per record";
}

TEST_F(FrameDispatchTest, AnIBlockOf64SamplesAt16Hz) {
    Program.PlottingRunning = 1;
    Program.OutputDataFileOpen = 1;
    Packet(kUnitA, IBlock(16, Int16s(64, -1000, 50)));
    const OutputLineRecord& r = OutputLine[0];
    EXPECT_EQ(r.packetKind, 'I');
    EXPECT_EQ(r.deviceNumber, 4);
    EXPECT_EQ(r.sampleRate, 16);
    EXPECT_EQ(r.batteryStatus, '2');
    EXPECT_EQ(r.sampleCount, 64);
    EXPECT_EQ(r.offsetTime, 4000);
    EXPECT_EQ(r.recordType, 0);
    EXPECT_FLOAT_EQ(WorkValue[0], -1.0f);
    EXPECT_FLOAT_EQ(WorkValue[63], 2.15f);
    EXPECT_FLOAT_EQ(r.lastValue, 2.15f);
    EXPECT_STREQ(r.timeStamp, "2026-12-07T12:00:05");
    EXPECT_EQ(r.second, 5);
    EXPECT_EQ(ui::GetInt(Cell(mainpanel::OffsetArray, 0)), 4000);
    EXPECT_EQ(ui::GetLedColor(Cell(mainpanel::LEDArray, 0)), 0xFFFF00u);
    EXPECT_EQ(calls, (std::vector<std::string>{"PlotData 0", "Write 0"}));
}

TEST_F(FrameDispatchTest, ATruncatedBlockUpdatesTheHeaderButNoSamples) {
    Program.PlottingRunning = 1;
    Program.OutputDataFileOpen = 1;
    Packet(kUnitA, IBlock(16, Int16s(64, 100, 0)));
    calls.clear();
    // The stale bytes after the frame would complete it: they must not be read.
    const std::string block = IBlock(8, Int16s(64, 2000, 0));
    Packet(kUnitA, block.substr(0, block.size() - 1));
    const OutputLineRecord& r = OutputLine[0];
    EXPECT_EQ(r.sampleRate, 8) << "header taken";
    EXPECT_FLOAT_EQ(r.lastValue, 0.1f) << "samples not taken";
    EXPECT_FLOAT_EQ(WorkValue[0], 0.1f);
    EXPECT_EQ(r.sampleCount, 64);
    EXPECT_TRUE(calls.empty()) << "nothing new to chart or log";

    // A block of an unknown kind likewise.
    Packet(kUnitA, "Z004,S04,B3,2026-12-07T12:00:09,," + Int16s(64, 3000, 0));
    EXPECT_EQ(r.sampleRate, 4);
    EXPECT_EQ(r.batteryStatus, '3');
    EXPECT_FLOAT_EQ(r.lastValue, 0.1f);
    EXPECT_TRUE(calls.empty());
}

// A one-value record too short to carry its field is no record: nothing that would be logged
// changes, and no line (which would repeat the last sample) reaches the file or the stream.
TEST_F(FrameDispatchTest, AShortOneValueRecordWritesNothing) {
    Program.PlottingRunning = 1;
    Program.OutputDataFileOpen = 1;
    Program.OpenComPortOutPutNum = 2;
    Packet(kUnitA, "C003,D1,S08,01234\r\n");
    ASSERT_EQ(calls, (std::vector<std::string>{"PlotContData 0", "Write 0"}));
    const OutputLineRecord& r = OutputLine[0];
    for (const char* text : {"C003,D1,S08,", "C003,D1,S0", "C007,D1", "C003,D8,2026-12",
                             "C003,D9,12:3", "C003,D7,", "C003,D4,", "C003,D"}) {
        SCOPED_TRACE(text);
        calls.clear();
        Packet(kUnitA, text);
        EXPECT_TRUE(calls.empty());
        EXPECT_EQ(r.deviceNumber, 3);
        EXPECT_EQ(r.sampleRate, 8);
        EXPECT_FLOAT_EQ(r.lastValue, 1.234f);
        EXPECT_EQ(r.sampleCount, 1);
        EXPECT_EQ(r.recordType, 1);
    }
}

TEST_F(FrameDispatchTest, RatesOutsideOneTo32AreStoredAsOneAndANewRateSpeedsUpTimeSync) {
    struct Case {
        std::string text;
        int stored;
        bool changed;
    };
    const Case cases[] = {
        {"C001,D1,S08,00001", 8, true},           {"C001,D1,S08,00001", 8, false},
        {"C001,D1,S00,00001", 1, true},           {"C001,D1,S40,00001", 1, true},
        {IBlock(0, Int16s(64, 1, 0)), 1, true},   {IBlock(40, Int16s(64, 1, 0)), 1, true},
        {IBlock(32, Int16s(64, 1, 0)), 32, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 12));
        Program.FastSyncSecTimeout = 7;
        Packet(kUnitA, c.text);
        EXPECT_EQ(OutputLine[0].sampleRate, c.stored);
        EXPECT_EQ(Program.FastSyncSecTimeout, c.changed ? 300 : 7);
    }
}

TEST_F(FrameDispatchTest, ConfigurationRepliesAreCopiedToTheirEndOnly) {
    Packet(kUnitA, "C001,D1,S08,00001");
    OutputLine[0].silenceTicks = 5;
    Packet(kUnitA, "$DN,003\r\nxyz");
    EXPECT_EQ(calls, (std::vector<std::string>{"Config 0 $DN,003"}));
    EXPECT_EQ(OutputLine[0].silenceTicks, 0);
    EXPECT_EQ(OutputLine[0].packetKind, '$');
    calls.clear();
    Packet(kUnitA, "$SR,08"); // no line end: the frame's end ends it, not the stale bytes
    EXPECT_EQ(calls, (std::vector<std::string>{"Config 0 $SR,08"}));
    Packet(kUnitA, "$" + std::string(200, 'x'));
    EXPECT_EQ(std::strlen(RxChars), 127u);
}

TEST_F(FrameDispatchTest, ATResponsesAreBoundedBothWaysAndRemoteOnesFiltered) {
    const std::string local = std::string("\x88\x01ID\x00", 5) + Address(0x1234);
    Serve(local);
    EXPECT_EQ(std::string(RxChars, 11), local.substr(2));

    std::memset(RxChars, 0, sizeof RxChars);
    Serve(std::string("\x88\x01ID", 4)); // no status
    EXPECT_EQ(RxChars[0], 0);
    Serve(std::string("\x88\x01") + std::string(250, 'v')); // longer than RxChars
    EXPECT_EQ(RxChars[127], 'v');
    EXPECT_EQ(RxSecSync[0], 0) << "nothing written past RxChars";

    std::memset(RxChars, 0, sizeof RxChars);
    Program.ConfigDeviceAddr = kUnitA;
    const std::string head = std::string("\x97\x01") + Address(kUnitB) + "\xFF\xFE";
    Serve(head + std::string("ID\x00", 3) + Address(0x42));
    EXPECT_EQ(RxChars[0], 0) << "another unit's response";
    const std::string mine = std::string("\x97\x01") + Address(kUnitA) + "\xFF\xFE";
    Serve(mine + "ID");
    EXPECT_EQ(RxChars[0], 0) << "shorter than its header";
    Serve(mine + std::string("ID\x00", 3) + Address(0x42));
    EXPECT_EQ(std::string(RxChars, 11), std::string("ID\x00", 3) + Address(0x42));

    // Transmit status and other identifiers change nothing.
    std::memset(RxChars, 0, sizeof RxChars);
    Serve(std::string("\x8B\x01\xFF\xFE\x00\x00\x00", 7));
    Serve(std::string("\x42\x01\x02\x03\x04", 5));
    EXPECT_EQ(RxChars[0], 0);
    for (const OutputLineRecord& r : OutputLine)
        EXPECT_EQ(r.address, 0u);
}

TEST_F(FrameDispatchTest, TheTimeSyncHookAnswersTheAwaitedUnitOnce) {
    Packet(kUnitA, "C001,D1,S08,00001");
    Packet(kUnitB, IBlock(16, Int16s(64, 1, 0)));
    delays.clear();
    Program.AutoWaitSync = 1;
    Program.AutoSyncLoc = 1;
    Packet(kUnitA, "C001,D1,S08,00001"); // not the awaited slot
    EXPECT_EQ(Program.AutoWaitSync, 1);
    Packet(kUnitB, "I004,S16,B2,2026-12-07T12:0"); // too short to carry the seconds
    EXPECT_EQ(Program.AutoWaitSync, 1);
    Packet(kUnitB, IBlock(16, Int16s(64, 1, 0)));
    EXPECT_EQ(Program.AutoWaitSync, 0);
    EXPECT_STREQ(RxSecSync, "AF"); // seconds "05"
    EXPECT_EQ(delays, (std::vector<double>{0.004}));

    Program.AutoWaitSync = 1;
    Program.AutoSyncLoc = 0;
    Packet(kUnitA, "C001,D1,S08,00001");
    EXPECT_EQ(Program.AutoWaitSync, 0);
    EXPECT_STREQ(RxSecSync, "::");
}

TEST_F(FrameDispatchTest, PlaybackDecodesSamplesButNeverActsOnRepliesOrSync) {
    Program.DataSource = kSourceFile;
    Program.ServingPlayback = 1; // as playback serves its frames
    Program.ConfigDeviceAddr = kUnitA;
    Program.AutoWaitSync = 1;
    Program.AutoSyncLoc = 0;
    Packet(kUnitA, IBlock(16, Int16s(64, 1000, 0)));
    EXPECT_FLOAT_EQ(OutputLine[0].lastValue, 1.0f);
    EXPECT_EQ(Program.AutoWaitSync, 1) << "no time sync from a file";
    EXPECT_TRUE(delays.empty());

    Packet(kUnitA, "$DN,003\r\n");
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(RxChars[0], 0);
    EXPECT_EQ(OutputLine[0].packetKind, 'I');
    Serve(std::string("\x88\x01ID\x00", 5) + Address(0x1234));
    Serve(std::string("\x97\x01") + Address(kUnitA) + "\xFF\xFE" + std::string("ID\x00", 3) +
          Address(0x42));
    EXPECT_EQ(RxChars[0], 0);

    Packet(kUnitA, "C003,D1,S08,01234");
    EXPECT_FLOAT_EQ(OutputLine[0].lastValue, 1.234f);
}

TEST_F(FrameDispatchTest, PacketsHoldTheBroadcastCycleWhileTheSwitchIsOn) {
    auto* ring = ui::Widget<QComboBox>(mainpanel::BroadcastPowerRing);
    ASSERT_NE(ring, nullptr);
    Program.BroadcastTimeOut = 17;
    Packet(kUnitA, "C001,D1,S08,00001");
    EXPECT_EQ(Program.BroadcastTimeOut, 17) << "switch at Done";
    ring->setCurrentIndex(1);
    Packet(kUnitA, "C001,D1,S08,00001");
    EXPECT_EQ(Program.BroadcastTimeOut, 14);
    Program.BroadcastTimeOut = 9;
    Packet(kUnitA, "C001,D1,S08,00001");
    EXPECT_EQ(Program.BroadcastTimeOut, 9);
}

TEST_F(FrameDispatchTest, MalformedPacketsAndANinthUnitLeaveTheTableAlone) {
    Serve(std::string("\x90\x00\x13\xA2\x00", 5)); // shorter than its header
    Packet(0, "C001,D1,S08,00001");                // the free-record address
    for (const OutputLineRecord& r : OutputLine)
        EXPECT_EQ(r.address, 0u);

    for (int i = 0; i < 8; ++i)
        Packet(0x100 + i, "C001,D1,S08,00001");
    Packet(0x50, "C009,D1,S08,09999");
    for (const OutputLineRecord& r : OutputLine) {
        EXPECT_NE(r.address, 0x50u);
        EXPECT_FLOAT_EQ(r.lastValue, 0.001f);
    }

    OutputLine[3].silenceTicks = 9;
    Packet(0x103, std::string()); // a packet without text: heard, nothing decoded
    EXPECT_EQ(OutputLine[3].silenceTicks, 0);
    EXPECT_EQ(OutputLine[3].sampleCount, 1);
}

TEST_F(FrameDispatchTest, TheSeaStateHearsOfEverySampleBlockAndEverySingleSample) {
    hooks.SeaStateSamples = [this](int slot) {
        calls.push_back("SeaState " + std::to_string(slot) + " " +
                        std::to_string(OutputLine[slot].sampleCount));
    };
    struct Case {
        std::string text;
        bool heard;
    };
    const Case cases[] = {
        {IBlock(16, Int16s(64, 1000, 1)), true},
        {"C003,D1,S08,01234\r\n", true},
        {"C003,D9,12:00:00", false},
        {"C003,D8,2026-12-07", false},
        {"C003,D7,G", false},
        {"$RT,1\r\n", false},
        {IBlock(16, Int16s(10, 1000, 1)), false}, // too short for its kind: no samples
    };
    for (const Case& c : cases) {
        calls.clear();
        Packet(kUnitB, c.text);
        const auto heard = std::count_if(calls.begin(), calls.end(), [](const std::string& call) {
            return call.rfind("SeaState", 0) == 0;
        });
        EXPECT_EQ(heard, c.heard ? 1 : 0) << c.text;
    }
    Packet(kUnitB, IBlock(16, Int16s(64, 1000, 1)));
    EXPECT_EQ(calls.back(), "SeaState 0 64");
}

} // namespace
} // namespace undarix::testing
