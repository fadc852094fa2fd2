#include "radiocfg/codec/UnitSettings.h"

#include "link/codec/DecimalText.h"
#include "radiocfg/codec/UnitCommand.h"
#include "radiocfg/codec/UnitReply.h"

#include <cstdio>
#include <string>

namespace undarix::radiocfg::codec {
namespace {

using core::codec::SettingList;

// The read key of the "R" family and the name it fills; the integers.
struct IntKey {
    char key;
    std::string_view name;
};
constexpr IntKey kReadInts[] = {
    {'X', "device_number"}, {'S', "sample_rate"},       {'L', "burst_length"},
    {'I', "burst_interval"}, {'F', "filter"},           {'O', "data_format"},
    {'R', "start_time_enabled"}, {'C', "clock_calibration"}, {'P', "power"},
    {'G', "trip_high_mv"},  {'U', "trip_low_mv"},       {'Y', "dead_zone_mm"},
};
// The general write acknowledges that echo an integer, and the name they confirm.
constexpr IntKey kWriteInts[] = {
    {'X', "device_number"}, {'S', "sample_rate"},  {'L', "burst_length"}, {'I', "burst_interval"},
    {'F', "filter"},        {'O', "data_format"},  {'R', "start_time_enabled"},
    {'C', "clock_calibration"}, {'P', "power"},    {'W', "current_mode"},
    {'G', "trip_high_mv"},  {'U', "trip_low_mv"},  {'Y', "dead_zone_mm"},
};

std::string_view IntName(const IntKey* begin, const IntKey* end, char key) {
    for (const IntKey* k = begin; k != end; ++k)
        if (k->key == key) return k->name;
    return {};
}

std::string Two(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// "2020-06-01T10:00" (and ":05" with seconds) from the reply's fixed positions.
std::string ReplyIso(std::string_view reply, bool seconds) {
    const DateTimeFields f = ReplyDateTime(reply);
    std::string text = std::to_string(f.year) + '-' + Two(f.month) + '-' + Two(f.day) + 'T' +
                       Two(f.hour) + ':' + Two(f.minute);
    if (seconds) text += ':' + Two(f.second);
    return text;
}

std::string SetName(char family, std::string_view member) {
    const bool first = family == kSet1ReadFamily || family == kSet1WriteFamily;
    return std::string(first ? "set1." : "set2.") + std::string(member);
}

std::string Text(std::string_view text) {
    // The text up to the end of the line the unit sent, without trailing blanks.
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\r' || text[end - 1] == '\n'))
        --end;
    return std::string(text.substr(0, end));
}

} // namespace

const std::vector<std::string_view>& UnitSettingNames() {
    // The set names live as long as the program, so the list can view them.
    static const std::vector<std::string> setNames = [] {
        std::vector<std::string> list;
        for (const char* set : {"set1.", "set2."})
            for (const char* member : {"staff_type", "staff_length", "calibration_table", "gain",
                                       "offset", "auto_low", "auto_high"})
                list.push_back(std::string(set) + member);
        return list;
    }();
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> list = {
            "device_number", "address", "kind", "model", "firmware", "serial", "sample_rate",
            "burst_length", "burst_interval", "filter", "data_format", "start_time_enabled",
            "start_time", "clock", "clock_calibration", "power", "battery_voltage",
            "current_mode", "trip_high_mv", "trip_low_mv", "dead_zone_mm"};
        for (const std::string& name : setNames)
            list.push_back(name);
        return list;
    }();
    return names;
}

std::string ApplyReadReply(SettingList& settings, std::string_view reply) {
    const ReplyHead head = ParseReplyHead(reply);
    if (head.family == kReadFamily) {
        if (const std::string_view name =
                IntName(std::begin(kReadInts), std::end(kReadInts), head.key);
            !name.empty()) {
            settings.Set(name, (long long)ReplyInt(reply));
            return std::string(name);
        }
        switch (head.key) {
        case 'H': settings.Set("model", Text(ReplyText(reply))); return "model";
        case 'K': settings.Set("firmware", Text(ReplyText(reply))); return "firmware";
        case 'D': settings.Set("serial", Text(ReplyText(reply))); return "serial";
        case 'Q': settings.Set("start_time", ReplyIso(reply, false)); return "start_time";
        case 'T': settings.Set("clock", ReplyIso(reply, true)); return "clock";
        case 'V': settings.Set("battery_voltage", ReplyReal(reply)); return "battery_voltage";
        case 'W':
            if (ReplyInt(reply) == 0) return {}; // never taken over
            settings.Set("current_mode", (long long)ReplyInt(reply));
            return "current_mode";
        default: return {};
        }
    }
    if (head.family != kSet1ReadFamily && head.family != kSet2ReadFamily) return {};
    std::string name;
    switch (head.key) {
    case 'T':
        name = SetName(head.family, "staff_type");
        settings.Set(name, (long long)ReplyInt(reply));
        break;
    case 'A': {
        std::vector<double> table;
        for (int k = 0; k < kTablePoints; ++k)
            table.push_back(ReplyTablePoint(reply, k));
        name = SetName(head.family, "calibration_table");
        settings.Set(name, std::move(table));
        break;
    }
    case 'S': name = SetName(head.family, "staff_length"); break;
    case 'G': name = SetName(head.family, "gain"); break;
    case 'O': name = SetName(head.family, "offset"); break;
    case 'L': name = SetName(head.family, "auto_low"); break;
    case 'H': name = SetName(head.family, "auto_high"); break;
    default: return {};
    }
    if (head.key != 'T' && head.key != 'A') settings.Set(name, ReplyReal(reply));
    return name;
}

std::string SentDateTime(std::string_view sent) {
    const bool start = sent.substr(0, 3) == "WQ,";
    const bool clock = sent.substr(0, 3) == "WT,";
    if (!start && !clock) return {};
    // "WQ,yy-mm-ddThh:mm": year at 3, month 6, day 9, hour 12, minute 15, second 18.
    using link::codec::Field;
    using link::codec::ReadDecimal;
    const auto at = [sent](std::size_t pos) { return ReadDecimal(Field(sent, pos, 2)); };
    std::string text = std::to_string(2000 + at(3)) + '-' + Two(at(6)) + '-' + Two(at(9)) + 'T' +
                       Two(at(12)) + ':' + Two(at(15));
    if (clock) text += ':' + Two(at(18));
    return text;
}

std::string ApplyWriteAcknowledge(SettingList& settings, std::string_view reply,
                                       std::string_view sent, bool& confirmed) {
    confirmed = true;
    const ReplyHead head = ParseReplyHead(reply);
    const int value = ReplyInt(reply);
    if (head.family == kWriteFamily) {
        if (IsSessionAcknowledge(reply)) return {};
        if (const std::string_view name =
                IntName(std::begin(kWriteInts), std::end(kWriteInts), head.key);
            !name.empty()) {
            settings.Set(name, (long long)value);
            return std::string(name);
        }
        if (head.key == 'Q' || head.key == 'T') {
            confirmed = value == 1;
            const std::string_view name = head.key == 'Q' ? "start_time" : "clock";
            if (confirmed) settings.Set(name, SentDateTime(sent));
            return std::string(name);
        }
        if (head.key == kSerialNumberKey) return "serial";
        return {};
    }
    if (head.family != kSet1WriteFamily && head.family != kSet2WriteFamily) return {};
    switch (head.key) {
    case 'T': {
        std::string name = SetName(head.family, "staff_type");
        settings.Set(name, (long long)value);
        return name;
    }
    case 'S':
    case 'G':
    case 'O': {
        std::string name = SetName(head.family, head.key == 'S'   ? "staff_length"
                                                : head.key == 'G' ? "gain"
                                                                  : "offset");
        settings.Set(name, ReplyReal(reply));
        return name;
    }
    case 'P': return "calibration_point";
    case 'N': return "calibration_clear_point";
    case 'C': confirmed = value == 1; return "calibration_clear_all";
    case 'F': confirmed = value == 1; return "factory_calibration";
    case 'X': confirmed = value == 1; return SetName(head.family, "auto_low");
    case 'Y': confirmed = value == 1; return SetName(head.family, "auto_high");
    default: return {};
    }
}

} // namespace undarix::radiocfg::codec
