// The names a wired unit's or the board's configuration goes by: each kind its own keys, the
// record's fields decoded into them.

#include "core/codec/SettingList.h"
#include "wiredcfg/codec/WiredSettings.h"

#include <gtest/gtest.h>

#include <cstring>

namespace undarix::testing {
namespace {

std::string Keys(const core::codec::SettingList& settings) {
    std::string keys;
    for (const core::codec::Setting& item : settings.Items())
        keys += item.name + ' ';
    return keys;
}

TEST(WiredSettingNamesTest, EachKindHasItsOwnKeysWithTheRecordsValues) {
    core::WiredConfigRecord record;
    std::strcpy(record.Version, "23.00");
    std::strcpy(record.Identity, "RZ-402E-001234");
    record.SampleRate = 16;
    record.Gain = 4551.9f;
    record.Offset = -704.8f;
    record.StaffLength = 3000.0f;
    record.AlarmFlags = 0x06;
    record.Alarm1On = 2499.6f;
    record.ModeFlags = 0x62; // serial output, analog output / start time, sync run mode
    record.BurstLength = 5;
    record.ClockYear = 2026, record.ClockMonth = 12, record.ClockDay = 7;
    record.ClockHour = 9, record.ClockMinute = 5, record.ClockSecond = 3;
    record.StartYear = 2027, record.StartMonth = 1, record.StartDay = 2;
    record.StartHour = 3, record.StartMinute = 4;
    record.SyncTimeTag = 2;
    struct Case {
        int kind;
        const char* keys;
        const char* json; // a part of the JSON
    };
    const Case cases[] = {
        {3,
         "firmware serial sample_rate run_mode ttl_run_mode analog_output serial_output "
         "air_temperature binary_format staff_length gain offset alarm1_enabled alarm1_on_m "
         "alarm1_off_m alarm2_enabled alarm2_on_m alarm2_off_m ",
         R"("run_mode":1,"ttl_run_mode":0,"analog_output":1,"serial_output":1)"},
        {4,
         "firmware serial sample_rate run_mode ttl_run_mode analog_output serial_output "
         "air_temperature binary_format staff_length gain offset ",
         R"("staff_length":3,"gain":4551,"offset":-704})"},
        {5,
         "firmware serial sample_rate serial_output air_temperature binary_format "
         "burst_length burst_interval file_interval start_time_enabled start_time clock "
         "staff_length gain offset ",
         R"("start_time_enabled":1,"start_time":"2027-01-02T03:04","clock":"2026-12-07T09:05:03")"},
        {6,
         "firmware serial sample_rate serial_output air_temperature binary_format "
         "burst_length burst_interval file_interval start_time_enabled start_time clock "
         "staff_length gain offset ",
         R"("burst_length":5,)"},
        {7, "firmware serial sample_rate run_mode time_tag clock ",
         R"({"firmware":"23.00","serial":"RZ-402E-001234","sample_rate":16,"run_mode":0,"time_tag":2,)"},
        {0, "", "{}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        core::codec::SettingList settings = wiredcfg::codec::WiredSettings(record, c.kind);
        settings.Order(wiredcfg::codec::WiredSettingNames());
        EXPECT_EQ(Keys(settings), c.keys);
        const std::string json = core::codec::SettingsJson(settings);
        EXPECT_NE(json.find(c.json), std::string::npos) << json;
    }
    // Kind 3's alarm in meters at the millimetre.
    const std::string json = core::codec::SettingsJson(wiredcfg::codec::WiredSettings(record, 3));
    EXPECT_NE(json.find(R"("alarm1_enabled":1,"alarm1_on_m":2.5,"alarm1_off_m":0,"alarm2_enabled":1)"),
              std::string::npos)
        << json;
}

} // namespace
} // namespace undarix::testing
