#include "live/DeviceTable.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "live/PresenceTimer.h"
#include "support/Fixtures.h"
#include "ui/Controls.h"

#include <cstring>

namespace undarix::testing {
namespace {

using namespace core;
using namespace live;

class DeviceTableTest : public PanelTest {
protected:
    static std::string Cell(ui::Role array, int row) { return ui::ArrayItemName(array, row); }
};

TEST_F(DeviceTableTest, NewAddressesTakeFreeSlotsAndRowsFollowTheAddressOrder) {
    struct Heard {
        std::uint64_t address;
        int slot;
    };
    const Heard heard[] = {{0xA2, 0}, {0xA1, 1}, {0xB0, 2}, {0xA1, 1}, {0xA2, 0}};
    for (const Heard& h : heard)
        EXPECT_EQ(GetOutputLineLoc(h.address), h.slot);
    EXPECT_EQ(OutputLine[0].displayRow, 1);
    EXPECT_EQ(OutputLine[1].displayRow, 0);
    EXPECT_EQ(OutputLine[2].displayRow, 2);
    EXPECT_EQ(ui::GetU64(Cell(mainpanel::AddressArray, 0)), 0xA1u);
    EXPECT_EQ(ui::GetU64(Cell(mainpanel::AddressArray, 1)), 0xA2u);
    EXPECT_EQ(ui::GetU64(Cell(mainpanel::AddressArray, 2)), 0xB0u);
    EXPECT_EQ(ui::GetText(Cell(mainpanel::AddressArray, 0)), "00000000000000A1");
    EXPECT_FALSE(ui::IsDimmed(Cell(mainpanel::AddressArray, 2)));
    EXPECT_TRUE(ui::IsDimmed(Cell(mainpanel::AddressArray, 3)));
}

TEST_F(DeviceTableTest, AddressesSortAsUnsigned64BitNumbersHighHalfFirst) {
    const std::uint64_t addresses[] = {0x0000000200000001ull, 0x00000001FFFFFFFFull,
                                       0xFFFFFFFF00000000ull, 0x0013A20040A1B2C3ull};
    for (std::uint64_t a : addresses)
        (void)GetOutputLineLoc(a);
    EXPECT_EQ(OutputLine[0].displayRow, 1);
    EXPECT_EQ(OutputLine[1].displayRow, 0);
    EXPECT_EQ(OutputLine[2].displayRow, 3); // the top bit set is the largest, not negative
    EXPECT_EQ(OutputLine[3].displayRow, 2);
}

TEST_F(DeviceTableTest, ANinthUnitGetsNoSlotAndNothingIsShownForIt) {
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(GetOutputLineLoc(0x100 + i), i);
    EXPECT_EQ(GetOutputLineLoc(0x50), kNoSlot);
    for (int row = 0; row < 8; ++row)
        EXPECT_NE(ui::GetU64(Cell(mainpanel::AddressArray, row)), 0x50u);
    // A known unit is still found while the table is full.
    EXPECT_EQ(GetOutputLineLoc(0x105), 5);
}

TEST_F(DeviceTableTest, NewUnitRestartsFastTimeSync) {
    Program.FastSyncSecTimeout = 12;
    (void)GetOutputLineLoc(0x77);
    EXPECT_EQ(Program.FastSyncSecTimeout, 300);
    Program.FastSyncSecTimeout = 12;
    (void)GetOutputLineLoc(0x77); // already known
    EXPECT_EQ(Program.FastSyncSecTimeout, 12);
}

TEST_F(DeviceTableTest, SampleRecordsAdvanceTheOffsetAndATimeRecordResetsIt) {
    const int slot = GetOutputLineLoc(0x42);
    OutputLineRecord& record = OutputLine[slot];
    record.sampleRate = 8;
    record.recordType = 1;
    record.lastValue = 1.234f;
    for (int i = 1; i <= 3; ++i) {
        WrLine2Display(slot);
        EXPECT_EQ(ui::GetInt(Cell(mainpanel::OffsetArray, 0)), 125 * i);
    }
    EXPECT_EQ(ui::GetText(Cell(mainpanel::OutputArray, 0)), "1.2340");
    EXPECT_EQ(ui::GetInt(Cell(mainpanel::RateArray, 0)), 8);
    std::strcpy(record.timeStamp, "2026-12-07T12:00:05");
    record.recordType = 9;
    WrLine2Display(slot);
    EXPECT_EQ(record.offsetTime, 0);
    EXPECT_EQ(ui::GetInt(Cell(mainpanel::OffsetArray, 0)), 0);
    EXPECT_EQ(ui::GetText(Cell(mainpanel::DateTimeArray, 0)), "2026-12-07T12:00:05");
    // A date record changes neither the offset nor the rate cell.
    record.recordType = 8;
    record.sampleRate = 4;
    WrLine2Display(slot);
    EXPECT_EQ(ui::GetInt(Cell(mainpanel::RateArray, 0)), 8);
}

TEST_F(DeviceTableTest, RowsThatMoveKeepEverythingTheyShowAndCountNoSample) {
    // A one-sample unit: a time record, then two samples at 4 Hz.
    const int slot = GetOutputLineLoc(0xB0);
    OutputLineRecord& record = OutputLine[slot];
    std::strcpy(record.timeStamp, "2026-12-07T12:00:05");
    record.recordType = 9;
    WrLine2Display(slot);
    record.recordType = 1;
    record.sampleRate = 4;
    record.lastValue = 1.5f;
    WrLine2Display(slot);
    WrLine2Display(slot);
    ASSERT_EQ(ui::GetInt(Cell(mainpanel::OffsetArray, 0)), 500);

    // A unit with a smaller address joins: the one-sample unit moves down a row, and so do its
    // time stamp and offset; the new unit's row shows nothing of it.
    (void)GetOutputLineLoc(0xA0);
    EXPECT_EQ(ui::GetU64(Cell(mainpanel::AddressArray, 1)), 0xB0u);
    EXPECT_EQ(ui::GetText(Cell(mainpanel::DateTimeArray, 1)), "2026-12-07T12:00:05");
    EXPECT_EQ(ui::GetInt(Cell(mainpanel::OffsetArray, 1)), 500);
    EXPECT_EQ(ui::GetText(Cell(mainpanel::OutputArray, 1)), "1.5000");
    EXPECT_EQ(ui::GetInt(Cell(mainpanel::RateArray, 1)), 4);
    EXPECT_EQ(ui::GetU64(Cell(mainpanel::AddressArray, 0)), 0xA0u);
    EXPECT_EQ(ui::GetText(Cell(mainpanel::DateTimeArray, 0)), "");
    // The next sample counts on from where it was.
    WrLine2Display(slot);
    EXPECT_EQ(ui::GetInt(Cell(mainpanel::OffsetArray, 1)), 750);
}

TEST_F(DeviceTableTest, AUnitTakingAFreedSlotInheritsNothingOfTheUnitBefore) {
    const int slot = GetOutputLineLoc(0xB0);
    OutputLineRecord& record = OutputLine[slot];
    std::strcpy(record.timeStamp, "2026-12-07T12:00:05");
    record.recordType = 1;
    record.sampleRate = 4;
    record.lastValue = 1.5f;
    record.updated = 1;
    record.zeroMode = 1;
    record.zeroOffset = 1.5f;
    WrLine2Display(slot);
    ClearAllOutputLines(); // the slot is freed, as the presence timer frees it

    ASSERT_EQ(GetOutputLineLoc(0xC0), slot);
    EXPECT_EQ(record.zeroMode, 0);
    EXPECT_EQ(record.zeroOffset, 0.0f);
    EXPECT_EQ(record.timeStamp[0], '\0');
    EXPECT_EQ(ui::GetText(Cell(mainpanel::DateTimeArray, 0)), "");
    EXPECT_EQ(ui::GetInt(Cell(mainpanel::ZeroAbsArray, 0)), 0);
    EXPECT_EQ(ui::GetInt(Cell(mainpanel::PowerArray, 0)), 0);
    EXPECT_EQ(ui::GetInt(Cell(mainpanel::OffsetArray, 0)), 0);
}

// A unit heard again at its own address keeps the zero mode the user set, whatever freed its
// record: a wired unit or board staff whose connection was restarted, a radio unit the
// presence timer let go while its adapter was away. Any other unit, or a table cleared for a
// new unit kind, starts clean.
void LetEveryUnitGo() {
    for (int tick = 0; tick < 300; ++tick)
        TickPresence();
    ASSERT_EQ(OutputLine[0].address, 0u);
}

TEST_F(DeviceTableTest, AReconnectedWiredUnitKeepsItsZeroMode) {
    struct Case {
        const char* what;
        void (*free)();
        std::uint64_t heardAgain;
        int zeroMode;
        float zeroOffset;
    };
    const Case cases[] = {
        {"same unit after a lost connection", ClearAllOutputLinesKeepingZero, 0x01, 1, 1.5f},
        {"switched off, offset kept", ClearAllOutputLinesKeepingZero, 0x02, 0, -0.25f},
        {"another unit after a lost connection", ClearAllOutputLinesKeepingZero, 0x05, 0, 0.0f},
        {"same unit after the tables were cleared", ClearAllOutputLines, 0x01, 0, 0.0f},
        {"radio unit back after the presence timer let it go", LetEveryUnitGo, 0x01, 1, 1.5f},
        {"switched off, back after the presence timer", LetEveryUnitGo, 0x02, 0, -0.25f},
        {"another unit after the presence timer", LetEveryUnitGo, 0x05, 0, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetDeviceTable();
        struct Unit {
            std::uint64_t address;
            int zeroMode;
            float zeroOffset;
        };
        for (const Unit& unit : {Unit{0x01, 1, 1.5f}, Unit{0x02, 0, -0.25f}, Unit{0x03, 1, 2.0f}}) {
            OutputLineRecord& record = OutputLine[std::size_t(GetOutputLineLoc(unit.address))];
            record.zeroMode = unit.zeroMode;
            record.zeroOffset = unit.zeroOffset;
        }
        c.free();
        const int slot = GetOutputLineLoc(c.heardAgain);
        ASSERT_NE(slot, kNoSlot);
        EXPECT_EQ(OutputLine[slot].zeroMode, c.zeroMode);
        EXPECT_EQ(OutputLine[slot].zeroOffset, c.zeroOffset);
        EXPECT_EQ(ui::GetInt(Cell(mainpanel::ZeroAbsArray, 0)), c.zeroMode);
    }
    // Given back once: the same unit after a second, ordinary freeing starts clean.
    ClearAllOutputLines();
    EXPECT_EQ(OutputLine[std::size_t(GetOutputLineLoc(0x03))].zeroMode, 0);
}

TEST_F(DeviceTableTest, BatteryLedTakesTheColourOfTheBatteryState) {
    const int slot = GetOutputLineLoc(0x42);
    OutputLineRecord& record = OutputLine[slot];
    record.updated = 1;
    struct Case {
        char status;
        std::uint32_t colour;
    };
    const Case cases[] = {{'0', 0x00CC00}, {'2', 0xFFFF00}, {'3', 0xFF0000}, {'x', 0xFF0000}};
    for (const Case& c : cases) {
        record.batteryStatus = c.status;
        WrLine2Display(slot);
        EXPECT_EQ(ui::GetLedColor(Cell(mainpanel::LEDArray, 0)), c.colour) << c.status;
        EXPECT_EQ(ui::GetInt(Cell(mainpanel::LEDArray, 0)), 1);
        EXPECT_EQ(ui::GetInt(Cell(mainpanel::PowerArray, 0)), 1);
    }
}

TEST_F(DeviceTableTest, AirTemperatureShowsOnTheDisplayOfTheDataSource) {
    const int slot = GetOutputLineLoc(0x01);
    OutputLine[slot].recordType = 4;
    OutputLine[slot].airTemperature = 12.5f;
    WrLine2Display(slot);
    EXPECT_EQ(ui::GetText(mainpanel::AirTempLive), "12.5");
    EXPECT_FALSE(ui::IsDimmed(mainpanel::AirTempLive));
    EXPECT_TRUE(ui::IsDimmed(mainpanel::AirTempFile));
    Program.DataSource = kSourceFile;
    WrLine2Display(slot);
    EXPECT_TRUE(ui::IsDimmed(mainpanel::AirTempLive));
    EXPECT_FALSE(ui::IsDimmed(mainpanel::AirTempFile));
}

TEST_F(DeviceTableTest, ClearingFreesEveryRecordAndResetsEveryRow) {
    for (int i = 0; i < 3; ++i)
        (void)GetOutputLineLoc(0x10 + i);
    ClearAllOutputLines();
    for (const OutputLineRecord& record : OutputLine) {
        EXPECT_EQ(record.address, 0u);
        EXPECT_EQ(record.deviceNumber, 0);
    }
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(ui::GetU64(Cell(mainpanel::AddressArray, row)), 0u);
        EXPECT_TRUE(ui::IsDimmed(Cell(mainpanel::OutputArray, row)));
    }
}

} // namespace
} // namespace undarix::testing
