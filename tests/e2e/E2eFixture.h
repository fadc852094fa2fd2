#pragma once

// The end-to-end harness: the real main panel (offscreen, not shown), the unit simulator on a
// pseudo-terminal, its port opened in the program as a user would open it, the program's event
// loop run while a test waits, the frames the dispatcher served, and the device table read
// back cell by cell. A test is a few lines:
//
//   class MyEndToEnd : public E2eTest {};
//   TEST_F(MyEndToEnd, UnitsShowUp) {
//       sim::SimOptions options;
//       options.units = 2;
//       ASSERT_TRUE(StartSimulator(options));
//       ASSERT_TRUE(WaitFor([&] { return ShownAddresses().size() == 2; }, 5.0));
//       EXPECT_EQ(ShownAddresses(), SortedUnitAddresses());
//   }
//
// Time. The program reads the real clock (the simulated units' clocks run on the PC's, and the
// automatic time sync is judged against it), and every Delay really sleeps: the waits are part
// of the radio protocols and short, so keeping them keeps the program's pace with the units
// honest. They are still recorded in `delays`.
//
// The display timer ticks once a second on its own. Where a test needs many ticks (the
// presence limit, the time-sync walk), DriveDisplayTimer ticks it by hand, as fast as the units
// in the table allow: a tick never brings a unit closer than a few ticks to its silence limit
// unless the test lets that unit fade.
//
// Every wait is bounded in seconds and runs the event loop; none sleeps blindly.

#include "sim/Simulator.h"
#include "support/Fixtures.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace undarix::testing {

// One row of the main panel's device table as shown.
struct TableRow {
    int row = 0;
    std::uint64_t address = 0;
    int power = 0;
    std::uint32_t ledColor = 0;
    int device = 0;
    int rate = 0;
    QString dateTime;
    int offset = 0;
    double value = 0.0;
    bool dimmed = true;
};

// A frame as the receive path handed it to the dispatcher.
struct ServedFrame {
    std::vector<std::uint8_t> data; // API identifier first, checksum left out

    [[nodiscard]] bool IsReceivePacket() const;
    // The sender of a receive packet (0 for other frames).
    [[nodiscard]] std::uint64_t Source() const;
};

class E2eTest : public PanelTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts a simulator of any kind with these options and opens its port in the program as
    // that kind. A test may change the simulation before it starts with `prepare` (a unit's
    // clock or rate, ...).
    [[nodiscard]] bool StartSimulator(const sim::SimOptions& options,
                                      const std::function<void(sim::SimState&)>& prepare = {});
    [[nodiscard]] sim::Simulator& Sim() { return *simulator_; }
    int port = 0; // the program's number of the simulator's port

    // Runs the event loop until the condition holds; false if `seconds` pass first.
    bool WaitFor(const std::function<bool()>& condition, double seconds);

    // Ticks the display timer by hand until the condition holds (false if `seconds` pass
    // first). Before each tick the event loop runs until every unit in the table, but
    // `fading`, is kSilenceMargin ticks short of its silence limit.
    bool DriveDisplayTimer(const std::function<bool()>& until, double seconds,
                           std::uint64_t fading = 0);
    static constexpr int kSilenceMargin = 3;

    // The frames served so far, oldest first, and how many receive packets came from an
    // address. `afterFrame` (if set) runs after the dispatcher has served each frame.
    [[nodiscard]] const std::vector<ServedFrame>& Served() const { return served_; }
    [[nodiscard]] int FramesFrom(std::uint64_t address) const;
    std::function<void(const ServedFrame&)> afterFrame;

    // The device table as shown: one row, or the rows that show a unit (not dimmed).
    [[nodiscard]] static TableRow Row(int row);
    [[nodiscard]] static std::vector<TableRow> ShownRows();
    [[nodiscard]] static std::vector<std::uint64_t> ShownAddresses();

    // The simulated units' addresses in unit order, and in ascending order.
    [[nodiscard]] std::vector<std::uint64_t> UnitAddresses();
    [[nodiscard]] std::vector<std::uint64_t> SortedUnitAddresses();
    // Runs `fn` on simulated radio unit `unit` under the simulator's lock.
    template <class Fn> auto Unit(std::size_t unit, Fn&& fn) {
        return simulator_->Inspect([&](sim::SimState& s) { return fn(s.radio.units.at(unit)); });
    }

private:
    void ServeFrame(std::uint8_t tenthFlag);

    std::unique_ptr<sim::Simulator> simulator_;
    std::function<void(std::uint8_t)> dispatcher_;
    std::vector<ServedFrame> served_;
};

} // namespace undarix::testing
