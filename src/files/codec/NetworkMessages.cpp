#include "files/codec/NetworkMessages.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace undarix::files::codec {
namespace {

void AppendNumber(std::string& out, std::int64_t value) {
    char text[24];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    out.append(text, end);
}

// The shortest text that reads back as the same float; JSON has no NaN or infinity.
void AppendValue(std::string& out, float value) {
    if (!std::isfinite(value)) {
        out.append("null");
        return;
    }
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    out.append(text, end);
}

void AppendTwo(std::string& out, int value, char before) {
    out.push_back(before);
    out.push_back(char('0' + value / 10 % 10));
    out.push_back(char('0' + value % 10));
}

} // namespace

std::string TopicLevel(std::string_view name) {
    std::string level;
    for (const char c : name)
        level.push_back(c == '/' || c == '+' || c == '#' || std::uint8_t(c) < 0x20 ? '_' : c);
    return level.empty() ? "station" : level;
}

std::string DeviceTopic(std::string_view root, int device, std::string_view what) {
    std::string topic(root);
    topic.push_back('/');
    AppendNumber(topic, device);
    topic.push_back('/');
    topic.append(what);
    return topic;
}

std::string StatusTopic(std::string_view root) {
    return std::string(root) + "/status";
}

std::string LossTopic(std::string_view root) {
    return StatusTopic(root) + "/loss";
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out.append("\\\""); break;
        case '\\': out.append("\\\\"); break;
        case '\n': out.append("\\n"); break;
        case '\r': out.append("\\r"); break;
        case '\t': out.append("\\t"); break;
        default:
            if (std::uint8_t(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(std::uint8_t(c)));
                out.append(escaped);
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
    return out;
}

std::string UnitTimeText(const UnitTime& time, std::int64_t milliseconds) {
    using namespace std::chrono;
    const year_month_day date{year(time.year), month(unsigned(time.month)),
                              day(unsigned(time.day))};
    if (time.year < 1970 || time.year > 9999 || !date.ok() || time.hour < 0 || time.hour > 23 ||
        time.minute < 0 || time.minute > 59 || time.second < 0 || time.second > 60)
        return {};
    const sys_time<std::chrono::milliseconds> start =
        sys_days(date) + hours(time.hour) + minutes(time.minute) + seconds(time.second);
    const sys_time<std::chrono::milliseconds> at = start + std::chrono::milliseconds(milliseconds);
    const sys_days atDay = floor<days>(at);
    const year_month_day atDate(atDay);
    const hh_mm_ss clock(at - atDay);
    std::string text;
    AppendNumber(text, int(atDate.year()));
    AppendTwo(text, int(unsigned(atDate.month())), '-');
    AppendTwo(text, int(unsigned(atDate.day())), '-');
    AppendTwo(text, int(clock.hours().count()), 'T');
    AppendTwo(text, int(clock.minutes().count()), ':');
    AppendTwo(text, int(clock.seconds().count()), ':');
    if (const int ms = int(clock.subseconds().count()); ms != 0) {
        text.push_back('.');
        text.push_back(char('0' + ms / 100));
        text.push_back(char('0' + ms / 10 % 10));
        text.push_back(char('0' + ms % 10));
    }
    return text;
}

std::string UtcTimeText(std::int64_t unixMilliseconds) {
    using namespace std::chrono;
    const sys_time<milliseconds> at{milliseconds(unixMilliseconds)};
    const sys_days day = floor<days>(at);
    const year_month_day date(day);
    const hh_mm_ss clock(at - day);
    std::string text;
    AppendNumber(text, int(date.year()));
    AppendTwo(text, int(unsigned(date.month())), '-');
    AppendTwo(text, int(unsigned(date.day())), '-');
    AppendTwo(text, int(clock.hours().count()), 'T');
    AppendTwo(text, int(clock.minutes().count()), ':');
    AppendTwo(text, int(clock.seconds().count()), ':');
    const int ms = int(clock.subseconds().count());
    text.push_back('.');
    text.push_back(char('0' + ms / 100));
    text.push_back(char('0' + ms / 10 % 10));
    text.push_back(char('0' + ms % 10));
    text.push_back('Z');
    return text;
}

std::string SamplesJson(const SamplesMessage& message) {
    char address[17];
    std::snprintf(address, sizeof address, "%016llX",
                  static_cast<unsigned long long>(message.address));
    std::string json = "{\"device\":";
    AppendNumber(json, message.device);
    json.append(",\"address\":\"").append(address).append("\",\"kind\":");
    json.append(JsonString(std::string_view(&message.kind, message.kind ? 1 : 0)));
    json.append(",\"time\":");
    json.append(message.time.empty() ? "null" : JsonString(message.time));
    json.append(",\"rate\":");
    AppendNumber(json, message.rate);
    json.append(",\"values\":[");
    for (std::size_t i = 0; i < message.values.size(); ++i) {
        if (i > 0) json.push_back(',');
        AppendValue(json, message.values[i]);
    }
    json.append("],\"received\":").append(JsonString(message.received)).append("}");
    return json;
}

std::string StationStatusJson(bool online, std::string_view kind, std::string_view port) {
    return std::string("{\"state\":") + (online ? "\"online\"" : "\"offline\"") +
           ",\"kind\":" + JsonString(kind) + ",\"port\":" + JsonString(port) + "}";
}

} // namespace undarix::files::codec
