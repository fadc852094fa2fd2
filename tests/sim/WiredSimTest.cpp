// Wired Ravo Zerars and Deve Zuravis in the simulator: the single-byte hand-shake, the
// configuration block both ways, and the sample lines.

#include "SerialEnd.h"
#include "core/codec/ConfigBlock.h"
#include "core/codec/StaffTable.h"
#include "sim/Calendar.h"
#include "sim/Simulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <random>

namespace undarix::sim::testing {
namespace {

using namespace core::codec;

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class WiredSim : public ::testing::Test {
protected:
    void Start(int kind, Faults faults = {}, bool airTemperature = false) {
        SimOptions options;
        options.kind = kind;
        options.rate = 8;
        options.faults = faults;
        options.airTemperature = airTemperature;
        simulator = std::make_unique<Simulator>(options);
        ASSERT_TRUE(simulator->Start()) << simulator->Error();
        port = std::make_unique<SerialEnd>(simulator->SlavePath());
        ASSERT_TRUE(port->IsOpen());
        kind_ = kind;
    }
    // "r": the block that follows "ROK,".
    std::string ReadBlock() {
        port->Write("r");
        const std::string head = port->ReadUntil("ROK,");
        EXPECT_TRUE(EndsWith(head, "ROK,")) << head;
        return port->ReadCount(kBlockLength);
    }
    // Sends "w" and a block built from the record.
    void WriteBlock(const core::WiredConfigRecord& record) {
        char block[kBlockBufferSize] = {};
        const std::size_t n = BuildConfigBlock(record, kind_, block);
        port->Write("w" + std::string(block, n));
    }
    core::WiredConfigRecord Decode(const std::string& block) {
        core::WiredConfigRecord record;
        DecodeBlockPrescale(block.c_str(), record);
        record.StaffLength = StaffLengthForPrescale(kind_, record.PrescaleRange, record.Prescale);
        DecodeConfigBlock(block.c_str(), kind_, record);
        return record;
    }

    std::unique_ptr<Simulator> simulator;
    std::unique_ptr<SerialEnd> port;
    int kind_ = 3;
};

TEST_F(WiredSim, HandshakeGivesSerialNumberBlockAndSampleLines) {
    const struct {
        int kind;
        float offset;
    } kinds[] = {{3, -500.0f}, {4, -820.0f}, {5, -500.0f}, {6, -820.0f}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.kind);
        Start(k.kind);
        // Running: four-digit counts, one line each.
        std::string line = port->ReadUntil("\r\n");
        line = port->ReadUntil("\r\n");
        ASSERT_EQ(line.size(), 6u) << line;

        port->Write("st");
        EXPECT_TRUE(EndsWith(port->ReadUntil("STOK,"), "STOK,"));
        port->Write("i");
        const std::string serial = simulator->Inspect([](SimState& s) { return s.wired.serial; });
        ASSERT_EQ(serial.size(), 14u);
        EXPECT_EQ(serial.find('I'), std::string::npos);
        EXPECT_EQ(port->ReadUntil(","), "IOK,");
        EXPECT_EQ(port->ReadCount(15), serial + ",");

        const std::string block = ReadBlock();
        ASSERT_EQ(block.size(), kBlockLength);
        EXPECT_TRUE(BlockChecksumMatches(block.c_str()));
        EXPECT_EQ(block[131], ',');
        EXPECT_EQ(StaffLengthForPrescale(k.kind, ReadHexPair(block.c_str(), 2),
                                         ReadHexPair(block.c_str(), 1)),
                  3000.0f);
        EXPECT_EQ(BlockGain(block.c_str()), 4096);
        EXPECT_EQ(BlockOffset(block.c_str()), k.offset);
        EXPECT_EQ(ReadHexPair(block.c_str(), 7), 8);     // sample rate
        EXPECT_EQ(ReadHexPair(block.c_str(), 42), 0x02); // serial output on
        if (k.kind >= 5) {
            // The unit's clock, in decimal pairs.
            const double offset =
                simulator->Inspect([](SimState& s) { return s.wired.clockOffset; });
            const CivilTime now = ToCivil(LocalCalendarNow() + offset);
            EXPECT_EQ(ReadDecPair(block.c_str(), 17), now.year % 100);
            EXPECT_EQ(ReadDecPair(block.c_str(), 16), now.month);
            EXPECT_EQ(ReadDecPair(block.c_str(), 15), now.day);
        }
        // Stopped: no lines.
        EXPECT_EQ(port->ReadFor(300), "");

        port->Write("g");
        EXPECT_EQ(port->ReadCount(4), "GOK,");
        line = port->ReadUntil("\r\n");
        ASSERT_EQ(line.size(), 6u) << line;
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(std::isdigit(line[std::size_t(i)])) << line;
        port.reset();
        simulator.reset();
    }
}

TEST_F(WiredSim, BadAnswerToTheStopRequestOnRequest) {
    Faults faults;
    faults.badStop = true;
    Start(3, faults);
    port->Write("st");
    EXPECT_TRUE(EndsWith(port->ReadUntil("BAD,"), "BAD,"));
    port->Write("i");
    EXPECT_EQ(port->ReadUntil(","), "IOK,");
}

TEST_F(WiredSim, WrittenBlockIsAppliedAndReadBack) {
    Start(5, {}, false);
    port->Write("st");
    port->ReadUntil("STOK,");
    core::WiredConfigRecord record = Decode(ReadBlock());
    record.SampleRate = 4;
    record.Gain = 4551.0f;
    record.Offset = -704.0f;
    record.ModeFlags =
        std::uint8_t(record.ModeFlags | 0x08 | 0x10); // set the clock, air temperature
    record.ClockYear = 2031;
    record.ClockMonth = 1;
    record.ClockDay = 2;
    record.ClockHour = 3;
    record.ClockMinute = 4;
    record.ClockSecond = 5;
    record.BurstLength = 10;
    record.BurstInterval = 60;
    WriteBlock(record);
    ASSERT_TRUE(simulator->WaitUntil([](const SimState& s) { return s.wired.blocksWritten == 1; }));

    const std::string block = ReadBlock();
    EXPECT_TRUE(BlockChecksumMatches(block.c_str()));
    const core::WiredConfigRecord back = Decode(block);
    EXPECT_EQ(back.SampleRate, 4);
    EXPECT_EQ(back.Gain, 4551.0f);
    EXPECT_EQ(back.Offset, -704.0f);
    EXPECT_EQ(back.BurstLength, 10);
    EXPECT_EQ(back.BurstInterval, 60);
    EXPECT_EQ(back.ModeFlags & 0x08, 0); // the set-clock request is done with
    EXPECT_EQ(back.ModeFlags & 0x10, 0x10);
    EXPECT_EQ(back.ClockYear, 2031);
    EXPECT_EQ(back.ClockMonth, 1);
    EXPECT_EQ(back.ClockDay, 2);
    EXPECT_EQ(back.ClockHour, 3);
    EXPECT_EQ(back.ClockMinute, 4);
    EXPECT_EQ(std::string(back.Version, 2), "31"); // the firmware is the unit's own

    // Running again: air temperature at positions 5.., in 1/16 degree, at 4 lines a second.
    port->Write("g");
    EXPECT_EQ(port->ReadCount(4), "GOK,");
    const std::string line = port->ReadUntil("\r\n");
    ASSERT_EQ(line.size(), 11u) << line;
    EXPECT_EQ(line[4], ',');
    EXPECT_NEAR(std::atoi(line.c_str() + 5) * 0.0625, 21.5, 0.07);
    const std::string second = port->ReadFor(1000);
    const auto lines = std::count(second.begin(), second.end(), '\n');
    EXPECT_GE(lines, 3);
    EXPECT_LE(lines, 6);
}

TEST_F(WiredSim, CalibrationIsClampedOnRequestAndBadBlocksIgnored) {
    Faults faults;
    faults.clampCalibration = true;
    Start(3, faults);
    port->Write("st");
    port->ReadUntil("STOK,");
    core::WiredConfigRecord record = Decode(ReadBlock());
    record.Gain = 6000.0f;
    record.Offset = -2000.0f;
    WriteBlock(record);
    core::WiredConfigRecord back = Decode(ReadBlock());
    EXPECT_EQ(back.Gain, float(WiredUnit::kGainMax));
    EXPECT_EQ(back.Offset, float(WiredUnit::kOffsetMin));

    // One character wrong: the checksum fails and the unit keeps what it had.
    char block[kBlockBufferSize] = {};
    record.SampleRate = 20;
    BuildConfigBlock(record, 3, block);
    block[22] = block[22] == '1' ? '2' : '1';
    port->Write("w" + std::string(block, kBlockLength));
    back = Decode(ReadBlock());
    EXPECT_EQ(back.SampleRate, 8);
    EXPECT_EQ(simulator->Inspect([](SimState& s) { return s.wired.blocksRejected; }), 1);
}

TEST_F(WiredSim, MutedCommandAndGarbage) {
    Faults faults;
    faults.mutedCommands = {"r"};
    Start(4, faults);
    port->Write("st");
    port->ReadUntil("STOK,");
    port->Write("r");
    EXPECT_EQ(port->ReadFor(300), "");

    std::mt19937 random(3);
    std::string garbage;
    for (int i = 0; i < 5000; ++i) {
        const char c = char(random());
        if (c != 'w' && c != 'g') garbage.push_back(c);
    }
    // A block cut short, then nothing: abandoned after its time-out.
    port->Write(garbage + "w" + std::string(40, 'F'));
    simulator->SetFaults({});
    port->ReadFor(2200);
    port->Write("i");
    EXPECT_EQ(port->ReadUntil(","), "IOK,");
    EXPECT_EQ(simulator->Inspect([](SimState& s) { return s.wired.blocksWritten; }), 0);
}

} // namespace
} // namespace undarix::sim::testing
