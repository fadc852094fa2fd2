// The automatic time sync: the walk over the table, the message each unit gets, the number
// of clock ticks it names, and the switch that hands the clock back to the user.

#include "live/AutoTimeSync.h"
#include "core/FrameBuffers.h"
#include "live/DeviceTable.h"
#include "live/RadioTimerFixture.h"
#include "live/TimeSync.h"
#include "live/codec/SyncMessage.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

namespace undarix::testing {
namespace {

using namespace core;
using namespace live;

constexpr std::uint64_t kUnit = 0x0013A20040A1B2C3ull;

const ui::Role kClockControls[] = {
    configpage::SetClockButton,     configpage::ReadClockButton,       configpage::SyncClockButton,
    configpage::CompareClockButton, configpage::ClockCalibrationField,
};

TEST_F(RadioTimerTest, AnEmptyTableIsWalkedIn80TicksPlusThePause) {
    std::vector<int> wraps; // ticks at which the walk leaves slot 7
    int previous = Program.AutoSyncLoc;
    for (int tick = 1; tick <= 1100; ++tick) {
        Tick();
        if (Program.AutoSyncLoc == 0 && previous == 7) wraps.push_back(tick);
        previous = Program.AutoSyncLoc;
        EXPECT_EQ(Program.AutoWaitSync, 0);
    }
    // Slot 7 first, then rounds of 8 slots with the short pause while FastSyncSecTimeout
    // counts down from 300, the long one after.
    EXPECT_EQ(wraps, (std::vector<int>{10, 120, 230, 340, 1020}));
    EXPECT_EQ(Program.FastSyncSecTimeout, 0);
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(RadioTimerTest, TheAwaitedBlockUnitGetsTheLettersOfItsSecondsDigits) {
    SetNow(QDateTime(QDate(2026, 12, 7), QTime(12, 0, 0)), 0);
    Packet(kUnit, Block('I', 1, 37));
    ASSERT_EQ(OutputLine[0].address, kUnit);
    Tick(40); // slot 7 and the pause
    EXPECT_EQ(Program.AutoSyncLoc, 0);
    EXPECT_EQ(Program.AutoWaitSync, 0);
    Tick();
    EXPECT_EQ(Program.AutoWaitSync, 1);
    EXPECT_TRUE(ui::IsVisible(mainpanel::SyncIndicator));
    Tick(5);
    EXPECT_TRUE(TakeSent().empty());

    Packet(kUnit, Block('I', 1, 37));
    EXPECT_EQ(Program.AutoWaitSync, 0);
    const std::vector<SentFrame> sent = TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].destination, kUnit);
    EXPECT_EQ(sent[0].text, "ZS,26-12-07T12D00H02.256\r\n");

    Tick();
    EXPECT_FALSE(ui::IsVisible(mainpanel::SyncIndicator));
    Packet(kUnit, Block('I', 1, 37));
    EXPECT_TRUE(TakeSent().empty()) << "one message per visit";
    Tick(8);
    EXPECT_EQ(Program.AutoSyncLoc, 1);
}

TEST_F(RadioTimerTest, AUnitThatStaysSilentIsSkippedAfter120Ticks) {
    Packet(kUnit, Block('I', 1));
    Tick(41);
    ASSERT_EQ(Program.AutoWaitSync, 1);
    Tick(119);
    EXPECT_EQ(Program.AutoWaitSync, 1);
    EXPECT_TRUE(ui::IsVisible(mainpanel::SyncIndicator));
    Tick(); // 120 ticks after it was shown
    EXPECT_FALSE(ui::IsVisible(mainpanel::SyncIndicator));
    Tick(8);
    EXPECT_EQ(Program.AutoSyncLoc, 1);
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(RadioTimerTest, TheMessageNamesTheSecondTwoAheadAndTheTicksUntilItBegins) {
    struct Case {
        QDateTime now;
        const char* separators;
        const char* message;
        int ticks;
    };
    const Case cases[] = {
        {QDateTime(QDate(2026, 12, 7), QTime(12, 0, 0, 0)), "::", "ZS,26-12-07T12:00:02.256\r\n",
         256},
        {QDateTime(QDate(2026, 12, 7), QTime(12, 0, 0, 999)), "::", "ZS,26-12-07T12:00:02.128\r\n",
         128},
        {QDateTime(QDate(2026, 12, 7), QTime(12, 0, 0, 500)), "AJ", "ZS,26-12-07T12A00J02.192\r\n",
         192},
        {QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58, 500)),
         "::", "ZS,27-01-01T00:00:00.192\r\n", 192},
        {QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999)),
         "::", "ZS,27-01-01T00:00:01.128\r\n", 128},
        {QDateTime(QDate(2028, 2, 28), QTime(23, 59, 59, 4)), "::", "ZS,28-02-29T00:00:01.255\r\n",
         255},
    };
    const char command[] = "WX,12\r\n";
    std::memcpy(Program.TxStr, command, sizeof command);
    Program.TxWait = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        SetNow(c.now, 0);
        std::memcpy(RxSecSync, c.separators, 3);
        AutoSyncRavoZerarXB(kUnit);
        const std::vector<SentFrame> sent = TakeSent();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].text, c.message);
        EXPECT_EQ(ui::GetInt(mainpanel::SyncDiagnostic), c.ticks);
    }
    EXPECT_STREQ(Program.TxStr, command) << "the session's command is kept";
    EXPECT_EQ(Program.TxWait, 1);
}

TEST_F(RadioTimerTest, TheSwitchStopsTheWalkAndHandsTheClockBack) {
    Packet(kUnit, Block('I', 1));
    Tick(41);
    ASSERT_EQ(Program.AutoWaitSync, 1);
    Program.FastSyncSecTimeout = 0;

    ui::SetInt(configpage::DeviceNumberSelector, 0);
    for (ui::Role role : kClockControls)
        ui::SetDimmed(role, true);
    ui::SetInt(mainpanel::AutoTimeSyncSwitch, 0);
    ui::Dispatch(mainpanel::AutoTimeSyncSwitch, ui::Event::Commit);
    EXPECT_EQ(Program.EnaAutoSync, 0);
    EXPECT_EQ(Program.FastSyncSecTimeout, 300);
    for (ui::Role role : kClockControls)
        EXPECT_TRUE(ui::IsDimmed(role)) << role << ": no unit chosen";

    Tick();
    EXPECT_EQ(Program.AutoWaitSync, 0);
    EXPECT_EQ(AutoSync.step, 0);
    Packet(kUnit, Block('I', 1));
    EXPECT_TRUE(TakeSent().empty());

    ui::SetInt(configpage::DeviceNumberSelector, 4);
    ui::Dispatch(mainpanel::AutoTimeSyncSwitch, ui::Event::Commit);
    for (ui::Role role : kClockControls)
        EXPECT_FALSE(ui::IsDimmed(role)) << role;

    ui::SetInt(mainpanel::AutoTimeSyncSwitch, 1);
    ui::Dispatch(mainpanel::AutoTimeSyncSwitch, ui::Event::Commit);
    EXPECT_EQ(Program.EnaAutoSync, 1);
    for (ui::Role role : kClockControls)
        EXPECT_TRUE(ui::IsDimmed(role)) << role;
    EXPECT_EQ(ui::HelpOf(mainpanel::AutoTimeSyncSwitch)->title, "AUTO TIME SYNC");
}

TEST(SyncMessage, TicksAndLayout) {
    EXPECT_EQ(codec::SyncTicksToSecond(0), 256);
    EXPECT_EQ(codec::SyncTicksToSecond(4), 255); // 1996 / 7.8125 = 255.49
    EXPECT_EQ(codec::SyncTicksToSecond(999), 128);
    char out[codec::kSyncMessageSize];
    const codec::SyncTime time{2031, 3, 4, 5, 6, 7};
    EXPECT_EQ(codec::FormatSyncMessage(time, 'B', 'C', 9, out, sizeof out), 26u);
    EXPECT_STREQ(out, "ZS,31-03-04T05B06C07.009\r\n");
    char small[10];
    EXPECT_EQ(codec::FormatSyncMessage(time, ':', ':', 9, small, sizeof small), 9u);
    EXPECT_STREQ(small, "ZS,31-03-");
}

} // namespace
} // namespace undarix::testing
