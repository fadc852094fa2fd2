#include "core/codec/SettingList.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace undarix::core::codec {

void SettingList::Set(std::string_view name, SettingValue value) {
    for (Setting& item : items_)
        if (item.name == name) {
            item.value = std::move(value);
            return;
        }
    items_.push_back({std::string(name), std::move(value)});
}

void SettingList::Remove(std::string_view name) {
    std::erase_if(items_, [name](const Setting& item) { return item.name == name; });
}

const SettingValue* SettingList::Find(std::string_view name) const {
    for (const Setting& item : items_)
        if (item.name == name) return &item.value;
    return nullptr;
}

void SettingList::Order(const std::vector<std::string_view>& names) {
    const auto rank = [&names](const Setting& item) {
        const auto at = std::find(names.begin(), names.end(), item.name);
        return std::size_t(at - names.begin());
    };
    std::stable_sort(items_.begin(), items_.end(),
                     [&rank](const Setting& a, const Setting& b) { return rank(a) < rank(b); });
}

std::string RealText(double value) {
    if (!std::isfinite(value)) return "null";
    char text[40];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    if (error != std::errc()) return "null";
    return std::string(text, end);
}

std::string JsonQuoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte > 0x7E) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(byte));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + '"';
}

namespace {

std::string ListText(const std::vector<double>& values, const char* open, const char* close) {
    std::string text = open;
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (k != 0) text += ',';
        text += RealText(values[k]);
    }
    return text + close;
}

std::string_view Prefix(std::string_view name) {
    const std::size_t dot = name.find('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(0, dot);
}

} // namespace

std::string SettingJson(const SettingValue& value) {
    if (const auto* number = std::get_if<long long>(&value)) return std::to_string(*number);
    if (const auto* real = std::get_if<double>(&value)) return RealText(*real);
    if (const auto* text = std::get_if<std::string>(&value)) return JsonQuoted(*text);
    return ListText(std::get<std::vector<double>>(value), "[", "]");
}

std::string SettingText(const SettingValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* list = std::get_if<std::vector<double>>(&value)) return ListText(*list, "", "");
    return SettingJson(value);
}

std::string SettingsJson(const SettingList& settings) {
    std::string json = "{";
    std::string_view open; // the prefix of the nested object being written
    bool first = true;
    for (const Setting& item : settings.Items()) {
        const std::string_view name = item.name;
        const std::string_view prefix = Prefix(name);
        if (prefix != open && !open.empty()) json += '}';
        if (!first) json += ',';
        first = false;
        if (!prefix.empty() && prefix != open) json += JsonQuoted(prefix) + ":{";
        open = prefix;
        json += JsonQuoted(prefix.empty() ? name : name.substr(prefix.size() + 1)) + ':' +
                SettingJson(item.value);
    }
    if (!open.empty()) json += '}';
    return json + '}';
}

std::string SettingsRecordJson(std::string_view time, std::string_view address,
                               long long deviceNumber, std::string_view event,
                               std::string_view changed, const SettingList& settings) {
    std::string json = "{\"time\":" + JsonQuoted(time) + ",\"address\":" + JsonQuoted(address) +
                       ",\"device_number\":" + std::to_string(deviceNumber) +
                       ",\"event\":" + JsonQuoted(event);
    if (!changed.empty()) json += ",\"changed\":" + JsonQuoted(changed);
    return json + ",\"settings\":" + SettingsJson(settings) + '}';
}

std::string SettingsText(const SettingList& settings) {
    std::string text;
    for (const Setting& item : settings.Items())
        text += item.name + '=' + SettingText(item.value) + '\n';
    return text;
}

} // namespace undarix::core::codec
