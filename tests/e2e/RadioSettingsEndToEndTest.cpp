// Settings written to a simulated radio unit through a pseudo-terminal: each control dims
// when changed, the unit's echo undims it, and the unit's store holds the new value; a write
// whose acknowledge is lost is resent six times and its control stays dimmed.

#include "core/ConfigPageRoles.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "e2e/E2eFixture.h"
#include "live/DeviceTable.h"
#include "radiocfg/ConfigSession.h"
#include "radiocfg/RadioConfigState.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/Timers.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace undarix::testing {
namespace {

using namespace core::configpage;
using core::Program;

class RadioSettingsEndToEnd : public E2eTest {
protected:
    // One unit sending single samples at 8 Hz, chosen by its device number and read.
    void ConfigureOneUnit() {
        sim::SimOptions options;
        options.formats = "C";
        options.rate = 8;
        ASSERT_TRUE(StartSimulator(options));
        address = UnitAddresses().at(0);
        const int number = Unit(0, [](sim::RadioUnit& u) { return u.config.deviceNumber; });
        ASSERT_TRUE(WaitFor(
            [&] {
                return std::any_of(std::begin(live::OutputLine), std::end(live::OutputLine),
                                   [&](const live::OutputLineRecord& r) {
                                       return r.address == address && r.deviceNumber == number;
                                   });
            },
            10.0));
        ui::SetInt(DeviceNumberSelector, number);
        ui::Dispatch(DeviceNumberSelector, ui::Event::Commit);
        ASSERT_TRUE(
            WaitFor([] { return Idle() && radiocfg::RadioConfig.PanIdReadPending == 0; }, 30.0));
    }

    static bool Idle() { return Program.ConfigStatus == 3 && Program.TxWait == 0; }

    // The unit commands with these two letters the simulated adapter took since the last call.
    int Received(const std::string& letters) {
        return Sim().Inspect([&](sim::SimState& s) {
            const auto count = std::count_if(
                s.radio.received.begin(), s.radio.received.end(),
                [&](const sim::ReceivedCommand& c) { return c.text.rfind(letters, 0) == 0; });
            s.radio.received.clear();
            return int(count);
        });
    }

    std::uint64_t address = 0;
};

TEST_F(RadioSettingsEndToEnd, EachChangeReachesTheUnitsStoreAndItsEchoUndimsTheControl) {
    ConfigureOneUnit();
    const int number = ui::GetInt(DeviceNumberSelector);
    struct Step {
        const char* what;
        ui::Role control;
        std::function<void()> change;
        std::function<bool(const sim::RadioUnitConfig&)> stored;
    };
    const Step steps[] = {
        {"data format", DataFormatRing, [] { ui::SetInt(DataFormatRing, sim::kFormatFloat32); },
         [](const sim::RadioUnitConfig& c) { return c.formatCode == sim::kFormatFloat32; }},
        {"sample rate", SampleRateField, [] { ui::SetInt(SampleRateField, 16); },
         [](const sim::RadioUnitConfig& c) { return c.sampleRate == 16; }},
        {"device number", NewDeviceNumberField,
         [&] { ui::SetInt(NewDeviceNumberField, number + 40); },
         [&](const sim::RadioUnitConfig& c) { return c.deviceNumber == number + 40; }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_FALSE(ui::IsDimmed(step.control));
        step.change();
        ui::Dispatch(step.control, ui::Event::Commit);
        EXPECT_TRUE(ui::IsDimmed(step.control));
        ASSERT_TRUE(WaitFor([&] { return !ui::IsDimmed(step.control) && Idle(); }, 10.0));
        EXPECT_TRUE(Unit(0, [&](sim::RadioUnit& u) { return step.stored(u.config); }));
    }
    EXPECT_EQ(ui::GetInt(DeviceNumberSelector), number + 40);

    // A calibration point: the unit takes it and the table is read again with it.
    ui::SetReal(CalibrateMetersField, 0.5);
    ui::Dispatch(CalSetButton, ui::Event::Commit);
    EXPECT_TRUE(ui::IsDimmed(CalSetButton));
    EXPECT_TRUE(ui::IsDimmed(CalPointsTable));
    ASSERT_TRUE(WaitFor([] { return !ui::IsDimmed(CalPointsTable) && Idle(); }, 15.0));
    const sim::CalibrationSet set = Unit(0, [](sim::RadioUnit& u) { return u.config.sets[0]; });
    const auto* end = set.points.begin() + set.pointCount;
    EXPECT_NE(
        std::find_if(set.points.begin(), end, [](double p) { return std::fabs(p - 0.5) < 1e-6; }),
        end);
    bool shown = false;
    for (int row = 1; row <= 12; ++row)
        shown = shown || std::fabs(ui::GetTableCell(CalPointsTable, row, 1) - 0.5) < 1e-6;
    EXPECT_TRUE(shown);
    EXPECT_FALSE(ui::IsDimmed(CalSetButton));
}

// Reals reach the unit with a decimal point, whatever locale the PC is set to (the suite runs
// under a comma locale too); the unit stores what was meant and its echo confirms it.
TEST_F(RadioSettingsEndToEnd, RealsReachTheUnitWithADecimalPoint) {
    ConfigureOneUnit();
    auto sent = [&](const std::string& letters) {
        return Sim().Inspect([&](sim::SimState& s) {
            std::vector<std::string> texts;
            for (const sim::ReceivedCommand& c : s.radio.received)
                if (c.text.rfind(letters, 0) == 0) texts.push_back(c.text);
            s.radio.received.clear();
            return texts;
        });
    };
    (void)sent("");
    ui::SetReal(StaffLengthField, 1.25);
    ui::Dispatch(StaffLengthField, ui::Event::Commit);
    ASSERT_TRUE(WaitFor([] { return !ui::IsDimmed(StaffLengthField) && Idle(); }, 10.0));
    EXPECT_EQ(sent("FS"), std::vector<std::string>{"FS,1.250"});
    EXPECT_EQ(Unit(0, [](sim::RadioUnit& u) { return u.config.sets[0].staffLength; }), 1.25);

    ui::SetReal(CalibrateMetersField, 0.75);
    ui::Dispatch(CalSetButton, ui::Event::Commit);
    ASSERT_TRUE(WaitFor([] { return !ui::IsDimmed(CalPointsTable) && Idle(); }, 15.0));
    EXPECT_EQ(sent("FP"), std::vector<std::string>{"FP,0.7500"});
}

TEST_F(RadioSettingsEndToEnd, ALostAcknowledgeIsResentSixTimesThenTheControlStaysDimmed) {
    ConfigureOneUnit();
    const int rate = Unit(0, [](sim::RadioUnit& u) { return u.config.sampleRate; });
    sim::Faults faults;
    faults.mutedCommands = {"WS"};
    Sim().SetFaults(faults);
    Received("WS");

    ui::SetInt(SampleRateField, rate == 16 ? 4 : 16);
    ui::Dispatch(SampleRateField, ui::Event::Commit);
    int sent = 0;
    // The session timer by hand: a resend every 43 ticks, six at most, then the write is given
    // up.
    for (int tick = 0; tick < 10 * radiocfg::kWriteReplyTicks && Program.TxWait != 0; ++tick) {
        ui::TickTimer(core::timer::Config);
        if (tick % 10 == 0) WaitFor([] { return false; }, 0.01);
        sent += Received("WS");
    }
    EXPECT_EQ(Program.TxWait, 0);
    for (int tick = 0; tick < 3 * radiocfg::kWriteReplyTicks; ++tick)
        ui::TickTimer(core::timer::Config);
    WaitFor([] { return false; }, 0.5);
    sent += Received("WS");
    EXPECT_EQ(sent, 1 + radiocfg::kWriteResends);
    EXPECT_TRUE(ui::IsDimmed(SampleRateField));
    EXPECT_EQ(Unit(0, [](sim::RadioUnit& u) { return u.config.sampleRate; }), rate);
}

} // namespace
} // namespace undarix::testing
