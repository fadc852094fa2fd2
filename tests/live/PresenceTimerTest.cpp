// The display timer's presence check: silent units leave the table after the time of two of
// their packets plus a margin, and the configured unit's departure ends its session.

#include "live/PresenceTimer.h"
#include "live/DeviceTable.h"
#include "live/RadioTimerFixture.h"
#include "ui/Controls.h"

namespace undarix::testing {
namespace {

using namespace core;
using namespace live;

constexpr std::uint64_t kUnitA1 = 0x0013A200000000A1ull;
constexpr std::uint64_t kUnitA2 = 0x0013A200000000A2ull;
constexpr std::uint64_t kUnitB0 = 0x0013A200000000B0ull;

TEST_F(RadioTimerTest, SilentUnitsAreDroppedAtTheirLimit) {
    struct Case {
        const char* what;
        std::string text;
        int limit;
    };
    const Case cases[] = {
        {"I blocks at 4 Hz", Block('I', 4), 74},
        {"A blocks at 32 Hz", Block('A', 32), 14},
        {"F blocks at 16 Hz", Block('F', 16), 18},
        {"single samples", Single(), 6},
        {"I blocks at 1 Hz: past what a byte counts", Block('I', 1), 266},
        {"a rate of 0 is taken as 1 Hz", Block('A', 0), 138},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Packet(kUnitA1, c.text);
        ASSERT_EQ(OutputLine[0].address, kUnitA1);
        Tick(c.limit - 1);
        EXPECT_EQ(OutputLine[0].address, kUnitA1) << "still present one tick before the limit";
        Tick();
        EXPECT_EQ(OutputLine[0].address, 0u);
        EXPECT_EQ(OutputLine[0].deviceNumber, 0);
        EXPECT_EQ(OutputLine[0].silenceTicks, 0);
        EXPECT_TRUE(ui::IsDimmed(ui::ArrayItemName(mainpanel::AddressArray, 0)));
        EXPECT_EQ(Program.ClearConfig, 0) << "not the configured unit";
    }
}

TEST_F(RadioTimerTest, APacketRestartsTheSilenceCount) {
    Packet(kUnitA1, Single());
    Tick(5);
    Packet(kUnitA1, Single());
    Tick(5);
    EXPECT_EQ(OutputLine[0].address, kUnitA1);
    Tick();
    EXPECT_EQ(OutputLine[0].address, 0u);
}

TEST_F(RadioTimerTest, TheConfiguredUnitsDepartureEndsItsSessionAndTheRowsCloseUp) {
    Packet(kUnitA2, Block('I', 16));
    Packet(kUnitA1, Single());
    Packet(kUnitB0, Block('I', 16));
    ASSERT_EQ(OutputLine[1].displayRow, 0);
    Program.ConfigDeviceAddr = kUnitA1;

    Tick(6);
    EXPECT_EQ(OutputLine[1].address, 0u);
    EXPECT_EQ(Program.ClearConfig, 1);
    EXPECT_EQ(OutputLine[0].displayRow, 0);
    EXPECT_EQ(OutputLine[2].displayRow, 1);
    EXPECT_EQ(ui::GetU64(ui::ArrayItemName(mainpanel::AddressArray, 0)), kUnitA2);
    EXPECT_EQ(ui::GetU64(ui::ArrayItemName(mainpanel::AddressArray, 1)), kUnitB0);
    EXPECT_FALSE(ui::IsDimmed(ui::ArrayItemName(mainpanel::AddressArray, 1)));
    EXPECT_TRUE(ui::IsDimmed(ui::ArrayItemName(mainpanel::AddressArray, 2)));

    // The freed slot is the first one a newcomer takes.
    Packet(0x0013A200000000C0ull, Single());
    EXPECT_EQ(OutputLine[1].address, 0x0013A200000000C0ull);
}

TEST(SilenceLimit, FollowsTheKindAndTheRate) {
    EXPECT_EQ(SilenceLimit('C', 1), 6);
    EXPECT_EQ(SilenceLimit('I', 4), 74);
    EXPECT_EQ(SilenceLimit('i', 4), 42);
    EXPECT_EQ(SilenceLimit('$', 8), 26);
    EXPECT_EQ(SilenceLimit('A', 0), 138);
}

} // namespace
} // namespace undarix::testing
