// Writing a wired unit's block after each change, and the board's three setting commands.

#include "WiredUnitFixture.h"

#include "core/PanelRoles.h"
#include "core/UnitKind.h"
#include "ui/Controls.h"
#include "wiredcfg/BlockWrite.h"
#include "wiredcfg/WiredConfigState.h"

#include <vector>

namespace undarix::testing {
namespace {

using core::Program;
using namespace core::configpage;

class BlockWriteTest : public WiredUnitTest {
protected:
    // A unit whose block has been read (the write starts from it).
    void ReadBlock(int unitType, const core::WiredConfigRecord& record) {
        UseKind(unitType);
        ShowConfiguration(BlockOf(record, unitType));
        delays.clear();
    }
    void Commit(ui::Role role, int value) {
        ui::SetInt(role, value);
        ui::Dispatch(role, ui::Event::Commit);
    }
};

TEST_F(BlockWriteTest, EachSettingRewritesTheBlockAndRestartsTheHandshake) {
    struct Case {
        int unitType;
        ui::Role role;
        int value;
        int pair;         // where the change shows
        std::string text; // what it reads there
    };
    const Case cases[] = {
        {3, WiredSampleRateField, 32, 7, "20"},
        {3, PortRunModeRing, 1, 42, "42"}, // bit 6 with serial output (bit 1)
        {3, TtlRunModeSwitch, 1, 42, "82"},
        {3, AnalogOutputSwitch, 1, 42, "22"},
        {5, SerialOutputSwitch, 0, 42, "00"},
        {5, AirTemperatureSwitch, 1, 42, "12"},
        {3, Alarm1EnableSwitch, 1, 16, "03"}, // bit 1 and the any-alarm bit 0
        {3, Alarm2EnableSwitch, 1, 16, "05"},
        {6, FileIntervalField, 14, 10, "0E"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.role) + " " + std::to_string(c.unitType));
        ReadBlock(c.unitType, UnitRecord());
        Commit(c.role, c.value);
        const std::string block = SentBlock();
        ASSERT_EQ(block.size(), 132u);
        EXPECT_EQ(PairText(block, c.pair), c.text);
        EXPECT_TRUE(core::codec::BlockChecksumMatches(block.c_str()));
        EXPECT_TRUE(ui::IsDimmed(c.role)); // until the read-back
        EXPECT_EQ(Program.WSWLConnectStatus, 0);
        const std::vector<double> waits =
            c.unitType >= 5 ? std::vector<double>{0.4, 0.4} : std::vector<double>{0.4, 0.3};
        EXPECT_EQ(delays, waits);
    }
}

TEST_F(BlockWriteTest, ADeveZuraviRateChangeNeverSetsTheClock) {
    core::WiredConfigRecord record = UnitRecord();
    record.ModeFlags = 0x0A; // the last read had the set-clock request
    ReadBlock(core::DeveZuravi404E, record);
    Commit(WiredSampleRateField, 16);
    const std::string block = SentBlock();
    EXPECT_EQ(PairText(block, 7), "10");
    EXPECT_EQ(PairText(block, 42), "02");
}

TEST_F(BlockWriteTest, Kind408SendsItsAlarmsOff) {
    ReadBlock(core::WiredRavoZerar408, UnitRecord(8, 100));
    Commit(Alarm1EnableSwitch, 1);
    const std::string block = SentBlock();
    EXPECT_EQ(PairText(block, 16), "01"); // bit 0 as the switch left it, bits 1 and 2 cleared
    EXPECT_EQ(Program.WSAll.AlarmFlags, 0x01);
}

TEST_F(BlockWriteTest, TheDataFormatSpringsBackToAscii) {
    core::WiredConfigRecord record = UnitRecord();
    record.ModeFlags = 0x03; // a unit left in binary
    ReadBlock(core::WiredRavoZerar402E, record);
    Commit(WiredDataFormatSwitch, 1);
    EXPECT_EQ(ui::GetInt(WiredDataFormatSwitch), 0);
    EXPECT_EQ(PairText(SentBlock(), 42), "02");
}

TEST_F(BlockWriteTest, AlarmLevelsGoBackAsReadUnlessEdited) {
    core::WiredConfigRecord record = UnitRecord(8, 223); // 4 m
    record.StaffLength = 4000.0f;
    const std::uint16_t counts[4] = {1234, 1001, 4095, 7};
    std::uint16_t* fields[4] = {&record.Alarm1OnCounts, &record.Alarm1OffCounts,
                                &record.Alarm2OnCounts, &record.Alarm2OffCounts};
    float* levels[4] = {&record.Alarm1On, &record.Alarm1Off, &record.Alarm2On, &record.Alarm2Off};
    for (int i = 0; i < 4; ++i) {
        *fields[i] = counts[i];
        *levels[i] = core::codec::AlarmCounts2Level(counts[i], 4000.0f);
    }
    ReadBlock(core::WiredRavoZerar402E, record);
    const std::string original = BlockOf(record, 3);
    // Several unrelated writes: the alarm pairs do not drift.
    for (int rate : {11, 12, 13}) {
        Commit(WiredSampleRateField, rate);
        const std::string block = SentBlock();
        EXPECT_EQ(block.substr(51, 24), original.substr(51, 24)) << rate;
    }
    // An edited level is converted anew, truncated toward zero: 1 m of 4 m is 1023.75 counts,
    // sent as 1023 (0x3FF).
    ui::SetReal(Alarm2OnLevel, 1.0);
    ui::Dispatch(Alarm2OnLevel, ui::Event::Commit);
    const std::string block = SentBlock();
    EXPECT_EQ(block.substr(63, 6), "03,FF,");
    EXPECT_EQ(block.substr(51, 12), original.substr(51, 12));
}

TEST_F(BlockWriteTest, AClockSyncAtMidnightCarriesTheNewDay) {
    ReadBlock(core::DeveZuravi404E, UnitRecord());
    SetNow(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 500)), 10);
    Program.WLSyncRTC = 1;
    wiredcfg::TxWSAllConfig();
    const std::string block = SentBlock();
    // second, minute, hour, spare, day, month, year
    EXPECT_EQ(block.substr(33, 21), "00,00,00,00,01,01,27,");
    EXPECT_EQ(Program.WLSyncRTC, 0);
    EXPECT_EQ(Program.WSAll.ClockYear, 2027);
}

TEST_F(BlockWriteTest, WithNoBlockReadOnlyTheWriteRequestGoesOut) {
    UseKind(core::WiredRavoZerar402E);
    Commit(WiredSampleRateField, 10);
    EXPECT_EQ(Written(), "w");
    EXPECT_EQ(Program.WSWLConnectStatus, 0);
}

TEST_F(BlockWriteTest, TheBoardTakesTextCommands) {
    UseKind(core::Vazavevezeze);
    Program.ConfigStatus = 2;
    Commit(WiredSampleRateField, 32);
    EXPECT_EQ(Written(), "f32\n\r");
    EXPECT_EQ(delays, (std::vector<double>{0.4, 0.1, 0.6}));
    EXPECT_EQ(Program.WSAll.SampleRate, 32);
    EXPECT_EQ(Program.ConfigStatus, 0);
    EXPECT_TRUE(ui::IsDimmed(WiredSampleRateField));

    delays.clear();
    Commit(PortRunModeRing, 1);
    EXPECT_EQ(Written(), "mcommand\n\r");
    EXPECT_EQ(delays, (std::vector<double>{0.4, 0.2, 0.6}));
    Commit(PortRunModeRing, 0);
    EXPECT_EQ(Written(), "mfreerun\n\r");

    Commit(TtlRunModeSwitch, 1); // the board has no TTL run mode
    EXPECT_EQ(Written(), "");
}

TEST_F(BlockWriteTest, TheTimeTagIsSentWhateverTheKind) {
    for (int unitType : {core::Vazavevezeze, core::WiredRavoZerar402E}) {
        UseKind(unitType);
        struct Case {
            int tag;
            std::string sent;
        };
        for (const Case& c : {Case{1, "tmin\n\r"}, Case{2, "thour\n\r"}, Case{3, "tday\n\r"},
                              Case{0, "tnone\n\r"}, Case{7, "tnone\n\r"}}) {
            delays.clear();
            Program.ConfigStatus = 2;
            Commit(TimeTagRing, c.tag);
            EXPECT_EQ(Written(), c.sent);
            EXPECT_EQ(delays, (std::vector<double>{0.2, 0.4, 0.2, 0.6}));
            EXPECT_EQ(Program.ConfigStatus, 0);
        }
    }
}

TEST_F(BlockWriteTest, RadioKindsAreLeftAlone) {
    UseKind(core::RavoZerarXB);
    Commit(WiredSampleRateField, 10);
    Commit(SerialOutputSwitch, 1);
    wiredcfg::TxWSAllConfig();
    EXPECT_EQ(Written(), "");
    EXPECT_FALSE(ui::IsDimmed(WiredSampleRateField));
}

} // namespace
} // namespace undarix::testing
