// The automatic time sync against simulated units whose clocks start wrong: the display
// timer walks the table, each unit's next packet is answered with a sync message, and the
// unit sets its clock from it.

#include "core/PanelRoles.h"
#include "e2e/E2eFixture.h"
#include "link/codec/ApiFrame.h"
#include "ui/Controls.h"

#include <cmath>
#include <string>

namespace undarix::testing {
namespace {

class TimeSyncEndToEnd : public E2eTest {};

TEST_F(TimeSyncEndToEnd, UnitClocksThatStartWrongAreBroughtWithinATenthOfASecond) {
    sim::SimOptions options;
    options.units = 3;
    options.formats = "CAF";
    // Several seconds off, with a fraction, either way.
    const double startOffsets[] = {4.371, -6.618, 2.853};
    const int rates[] = {8, 32, 32}; // a packet at least every second
    ASSERT_TRUE(StartSimulator(options, [&](sim::SimState& s) {
        for (std::size_t i = 0; i < 3; ++i) {
            s.radio.units[i].config.clockOffset = startOffsets[i];
            s.radio.units[i].config.sampleRate = rates[i];
        }
    }));
    ASSERT_TRUE(WaitFor([&] { return ShownAddresses().size() == 3; }, 5.0));

    auto synced = [&] {
        return Sim().Inspect([](sim::SimState& s) {
            for (const sim::RadioUnit& unit : s.radio.units)
                if (unit.syncCount == 0) return false;
            return true;
        });
    };
    // Slot 7 first, a round pause, then slots 0, 1 and 2: some seventy ticks.
    ASSERT_TRUE(DriveDisplayTimer(synced, 20.0));

    for (std::size_t u = 0; u < 3; ++u) {
        SCOPED_TRACE(u);
        const sim::RadioUnit unit = Unit(u, [](sim::RadioUnit& x) { return x; });
        EXPECT_EQ(unit.syncCount, 1);
        EXPECT_LT(std::abs(unit.config.clockOffset), 0.1) << unit.config.clockOffset;
        // The wait to the named second, in 1/128 s: 2 s less the fraction of the second.
        EXPECT_GE(unit.lastSyncTicks, 128);
        EXPECT_LE(unit.lastSyncTicks, 256);
    }

    // The messages as the units got them: plain separators for the one-sample unit, letters
    // for the seconds digits of its own last time stamp for each block unit.
    const std::vector<sim::ReceivedCommand> received = Sim().Inspect([](sim::SimState& s) {
        return std::vector<sim::ReceivedCommand>(s.radio.received.begin(), s.radio.received.end());
    });
    const std::vector<std::uint64_t> units = UnitAddresses();
    for (std::size_t u = 0; u < 3; ++u) {
        SCOPED_TRACE(u);
        std::string message;
        for (const sim::ReceivedCommand& command : received)
            if (command.apiId == link::codec::kTransmitRequest && command.destination == units[u] &&
                command.text.rfind("ZS,", 0) == 0)
                message = command.text;
        ASSERT_GE(message.size(), 24u);
        if (u == 0) {
            EXPECT_EQ(message[14], ':');
            EXPECT_EQ(message[17], ':');
        } else {
            EXPECT_TRUE(message[14] >= 'A' && message[14] <= 'J') << message;
            EXPECT_TRUE(message[17] >= 'A' && message[17] <= 'J') << message;
        }
    }
}

} // namespace
} // namespace undarix::testing
