#include "wiredcfg/codec/WiredSettings.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace undarix::wiredcfg::codec {
namespace {

using core::codec::SettingList;

long long Bit(std::uint8_t flags, int bit) {
    return (flags >> bit) & 1;
}

std::string Two(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string Date(int year, int month, int day, int hour, int minute) {
    return std::to_string(year) + '-' + Two(month) + '-' + Two(day) + 'T' + Two(hour) + ':' +
           Two(minute);
}

// The text of a fixed field up to its first NUL.
std::string Text(const char* field, std::size_t size) {
    std::size_t n = 0;
    while (n < size && field[n] != 0)
        ++n;
    return std::string(field, n);
}

// Millimetres held as floats, shown in meters at the millimetre.
double Meters(float millimetres) {
    return std::round(double(millimetres)) / 1000.0;
}

} // namespace

const std::vector<std::string_view>& WiredSettingNames() {
    static const std::vector<std::string_view> names = {
        "device_number", "address", "kind", "model", "firmware", "serial", "sample_rate",
        "run_mode", "ttl_run_mode", "analog_output", "serial_output", "air_temperature",
        "binary_format", "time_tag", "burst_length", "burst_interval", "file_interval",
        "start_time_enabled", "start_time", "clock", "staff_type", "staff_length", "gain",
        "offset", "alarm1_enabled", "alarm1_on_m", "alarm1_off_m", "alarm2_enabled",
        "alarm2_on_m", "alarm2_off_m", "staff_length_table"};
    return names;
}

SettingList WiredSettings(const core::WiredConfigRecord& r, int unitKind) {
    SettingList settings;
    const bool board = unitKind == 7;
    if (unitKind < 3 || unitKind > 7) return settings;
    settings.Set("firmware", Text(r.Version, sizeof r.Version));
    settings.Set("serial", Text(r.Identity, sizeof r.Identity));
    settings.Set("sample_rate", (long long)r.SampleRate);
    const std::string clock = Date(r.ClockYear, r.ClockMonth, r.ClockDay, r.ClockHour,
                                   r.ClockMinute) +
                              ':' + Two(r.ClockSecond);
    if (board) {
        settings.Set("run_mode", (long long)r.SyncRunMode);
        settings.Set("time_tag", (long long)r.SyncTimeTag);
        settings.Set("clock", clock);
        return settings;
    }
    settings.Set("serial_output", Bit(r.ModeFlags, 1));
    settings.Set("air_temperature", Bit(r.ModeFlags, 4));
    settings.Set("binary_format", Bit(r.ModeFlags, 0));
    if (unitKind == 3 || unitKind == 4) {
        settings.Set("run_mode", Bit(r.ModeFlags, 6));
        settings.Set("ttl_run_mode", Bit(r.ModeFlags, 7));
        settings.Set("analog_output", Bit(r.ModeFlags, 5));
    } else {
        settings.Set("burst_length", (long long)r.BurstLength);
        settings.Set("burst_interval", (long long)r.BurstInterval);
        settings.Set("file_interval", (long long)r.FileInterval);
        settings.Set("start_time_enabled", Bit(r.ModeFlags, 5));
        settings.Set("start_time", Date(r.StartYear, r.StartMonth, r.StartDay, r.StartHour,
                                        r.StartMinute));
        settings.Set("clock", clock);
    }
    settings.Set("staff_length", Meters(r.StaffLength));
    settings.Set("gain", (long long)std::trunc(r.Gain));
    settings.Set("offset", (long long)std::trunc(r.Offset));
    if (unitKind == 3) {
        settings.Set("alarm1_enabled", Bit(r.AlarmFlags, 1));
        settings.Set("alarm1_on_m", Meters(r.Alarm1On));
        settings.Set("alarm1_off_m", Meters(r.Alarm1Off));
        settings.Set("alarm2_enabled", Bit(r.AlarmFlags, 2));
        settings.Set("alarm2_on_m", Meters(r.Alarm2On));
        settings.Set("alarm2_off_m", Meters(r.Alarm2Off));
    }
    return settings;
}

} // namespace undarix::wiredcfg::codec
