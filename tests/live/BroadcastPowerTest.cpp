// The broadcast-power cycle of the display timer: when "BP" goes out, what holds it, how
// "off" ends, and that it never touches the configuration session's command.

#include "live/BroadcastPower.h"
#include "live/RadioTimerFixture.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <set>

namespace undarix::testing {
namespace {

using namespace core;
using namespace live;

constexpr std::uint64_t kUnit = 0x0013A20040A1B2C3ull;

class BroadcastPowerTest : public RadioTimerTest {
protected:
    void SetUp() override {
        RadioTimerTest::SetUp();
        Program.EnaAutoSync = 0; // only broadcasts on the wire
    }
    void Switch(int position) {
        ui::SetInt(mainpanel::BroadcastPowerRing, position);
        ui::Dispatch(mainpanel::BroadcastPowerRing, ui::Event::Commit);
    }
    // Runs this many decisions (15 ticks each), a packet before each when `heard`, and returns
    // the numbers (from 1) of the decisions that sent something, checking what was sent.
    std::set<int> Decisions(int count, const std::string& expected, bool heard = false) {
        std::set<int> sending;
        for (int d = 1; d <= count; ++d) {
            if (heard) Packet(kUnit, Single());
            Tick(14);
            EXPECT_TRUE(TakeSent().empty());
            Tick();
            const std::vector<SentFrame> sent = TakeSent();
            EXPECT_EQ(ui::IsVisible(mainpanel::BroadcastIndicator), !sent.empty());
            for (const SentFrame& f : sent) {
                EXPECT_EQ(f.destination, 0xFFFFu);
                EXPECT_EQ(f.text, expected);
            }
            if (!sent.empty()) sending.insert(d);
            EXPECT_LE(sent.size(), 1u);
        }
        return sending;
    }
    static std::set<int> Range(int from, int to, std::set<int> into = {}) {
        for (int d = from; d <= to; ++d)
            into.insert(d);
        return into;
    }
};

TEST_F(BroadcastPowerTest, PowerOnGoesOut14TimesThenInBurstsOfFourWhileNobodyAnswers) {
    Switch(kBroadcastOn);
    EXPECT_EQ(Program.BroadcastTimeOut, 0);
    std::set<int> expected = Range(1, 14);
    expected = Range(20, 23, expected);
    expected = Range(29, 32, expected);
    expected = Range(38, 41, expected);
    EXPECT_EQ(Decisions(45, "BP,1\r\n"), expected);
    Tick();
    EXPECT_FALSE(ui::IsVisible(mainpanel::BroadcastIndicator)) << "shown for one tick only";
    EXPECT_EQ(ui::GetInt(mainpanel::BroadcastPowerRing), kBroadcastOn);
}

TEST_F(BroadcastPowerTest, PacketsKeepItSilentAfterTheFirst14) {
    Switch(kBroadcastOn);
    EXPECT_EQ(Decisions(14, "BP,1\r\n").size(), 14u);
    EXPECT_TRUE(Decisions(30, "", true).empty());
    EXPECT_EQ(Program.BroadcastTimeOut, 15);
}

TEST_F(BroadcastPowerTest, PowerOffGoesOut14TimesAndTheSwitchReturnsToDone) {
    Switch(kBroadcastOff);
    EXPECT_EQ(Decisions(15, "BP,2\r\n"), Range(1, 14));
    EXPECT_EQ(ui::GetInt(mainpanel::BroadcastPowerRing), kBroadcastDone);
    EXPECT_TRUE(Decisions(20, "").empty());
}

TEST_F(BroadcastPowerTest, DoneSendsNothingAndHidesNoSyncIndicator) {
    Switch(kBroadcastDone);
    EXPECT_EQ(Program.BroadcastTimeOut, kBroadcastEnded);
    ui::SetVisible(mainpanel::SyncIndicator, true);
    EXPECT_TRUE(Decisions(3, "").empty());
    EXPECT_EQ(Program.BroadcastTimeOut, 0);
    EXPECT_TRUE(ui::IsVisible(mainpanel::SyncIndicator));

    Switch(kBroadcastOn);
    Decisions(1, "BP,1\r\n");
    EXPECT_FALSE(ui::IsVisible(mainpanel::SyncIndicator)) << "a broadcast hides it";
    EXPECT_EQ(ui::HelpOf(mainpanel::BroadcastPowerRing)->title, "BROADCAST POWER");
}

// A broadcast expects no answer: it must neither replace the command the configuration
// session may resend nor make the session wait for an answer that never comes.
TEST_F(BroadcastPowerTest, TheSessionsCommandAndItsWaitAreLeftAlone) {
    const char command[] = "WT,26-12-07T11:00:00\r\n";
    for (int wait : {0, 1}) {
        SCOPED_TRACE(wait);
        std::memcpy(Program.TxStr, command, sizeof command);
        Program.TxWait = wait;
        Switch(kBroadcastOn);
        EXPECT_EQ(Decisions(1, "BP,1\r\n").size(), 1u);
        EXPECT_STREQ(Program.TxStr, command);
        EXPECT_EQ(Program.TxWait, wait);
    }
}

} // namespace
} // namespace undarix::testing
