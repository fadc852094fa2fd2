// What the session tells its listeners of the window's writes: the setting an acknowledge
// confirmed and the value the unit took, or a refusal, whatever page control sent it.

#include "FakeUnit.h"
#include "SettingsFixture.h"
#include "radiocfg/SettingsEvents.h"

#include <optional>

namespace undarix::testing {
namespace {

using namespace core::configpage;
using radiocfg::SettingsEvent;

class SettingsEventsTest : public SettingsTest {};

TEST_F(SettingsEventsTest, EachAcknowledgeTellsTheSettingItConfirmedOrRefused) {
    struct Case {
        const char* name;
        std::function<void()> commit; // the user's change on the page
        const char* echo;
        std::optional<SettingsEvent::What> what; // nothing: the command waits to be resent
        const char* changed;
        const char* json; // part of the known settings afterwards
    };
    const auto set = [this](ui::Role role, double value, ui::Role commit) {
        return [this, role, value, commit] {
            ui::SetReal(role, value);
            Commit(commit);
        };
    };
    const auto startTime = [this] {
        const int fields[] = {2027, 1, 2, 3, 4};
        const ui::Role roles[] = {StartYearField, StartMonthField, StartDayField, StartHourField,
                                  StartMinuteField};
        for (int k = 0; k < 5; ++k)
            ui::SetInt(roles[k], fields[k]);
        Commit(WriteStartTimeButton);
    };
    const Case cases[] = {
        {"rate", set(SampleRateField, 16, SampleRateField), "$WS,16", SettingsEvent::What::Write,
         "sample_rate", R"("sample_rate":16)"},
        {"rate not taken", set(SampleRateField, 16, SampleRateField), "$WS,8",
         SettingsEvent::What::Refused, "sample_rate", R"("sample_rate":16)"},
        {"staff length", set(StaffLengthField, 1.5, StaffLengthField), "$FS,1.500",
         SettingsEvent::What::Write, "set1.staff_length", R"("set1":{"staff_length":1.5})"},
        {"start time", startTime, "$WQ,1", SettingsEvent::What::Write, "start_time",
         R"("start_time":"2027-01-02T03:04")"},
        {"start time not taken", startTime, "$WQ,0", std::nullopt, "", R"("start_time":"2027)"},
        {"calibration point", set(CalibrateMetersField, 0.25, CalSetButton), "$FP,0.2500",
         SettingsEvent::What::Write, "calibration_point", ""},
        {"calibration point not taken", set(CalibrateMetersField, 0.25, CalSetButton),
         "$FP,0.5000", std::nullopt, "", ""},
        // A unit that answered an earlier command twice or late: its second acknowledge,
        // come while this command waits, is not this command's.
        {"rate acknowledge while the staff length waits", set(StaffLengthField, 1.5,
                                                               StaffLengthField),
         "$WS,16", std::nullopt, "", ""},
    };
    std::optional<SettingsEvent> told;
    radiocfg::AddSettingsListener([&told](const SettingsEvent& event) { told = event; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Configure(0, 1);
        told.reset();
        c.commit();
        ASSERT_EQ(Sent().size(), 1u);
        Echo(c.echo);
        ASSERT_EQ(told.has_value(), c.what.has_value());
        if (!told) continue;
        EXPECT_EQ(told->what, *c.what);
        EXPECT_EQ(told->changed, c.changed);
        EXPECT_EQ(told->address, kConfiguredUnit);
        const std::string json = core::codec::SettingsJson(radiocfg::KnownSettings());
        EXPECT_NE(json.find(c.json), std::string::npos) << json;
    }
}

// A reply that comes twice (late, after the next command went out) puts every later reply one
// command behind; the read is complete only when the last command's own reply is in.
TEST_F(SettingsEventsTest, TheReadIsCompleteWithTheLastCommandsOwnReply) {
    std::vector<SettingsEvent> told;
    radiocfg::AddSettingsListener([&told](const SettingsEvent& event) { told.push_back(event); });
    FakeUnit unit;
    core::Program.ConfigStatus = 0;
    core::Program.TxWait = 0;
    ui::SetU64(NetworkAddressField, kConfiguredUnit);
    ui::Dispatch(NetworkAddressField, ui::Event::Commit);
    std::string late; // the reply held back until the next command has gone out
    bool duplicated = false;
    for (int tick = 0; tick < 200; ++tick) {
        Tick();
        for (const SentFrame& frame : TakeSent()) {
            if (frame.api != link::codec::kTransmitRequest) continue;
            const std::string reply = unit.Answer(frame.text);
            if (!late.empty()) Echo(late);
            late.clear();
            if (frame.text == "RL\r\n" && !duplicated) {
                duplicated = true;
                Echo(unit.Answer("RS\r\n"));
            }
            if (duplicated)
                late = reply;
            else
                Echo(reply);
        }
        if (tick == 150 && !late.empty()) Echo(late);
    }
    ASSERT_TRUE(duplicated);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].what, SettingsEvent::What::Read);
    EXPECT_NE(told[0].settings.Find("set1.calibration_table"), nullptr)
        << core::codec::SettingsJson(told[0].settings);
}

} // namespace
} // namespace undarix::testing
