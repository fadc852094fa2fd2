#pragma once

// A unit's settings as named values, in the order they are listed: what the companion prints,
// the settings record keeps and the network output sends. A name may carry one dot
// ("set1.staff_length"): in JSON the settings after the same prefix form one nested object.
// Numbers are written the same in every locale (a decimal point, the shortest text that reads
// back as the same value).

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace undarix::core::codec {

using SettingValue = std::variant<long long, double, std::string, std::vector<double>>;

struct Setting {
    std::string name;
    SettingValue value;
};

class SettingList {
public:
    // Replaces the value of `name`, or adds it at the end.
    void Set(std::string_view name, SettingValue value);
    void Remove(std::string_view name);
    [[nodiscard]] const SettingValue* Find(std::string_view name) const;
    [[nodiscard]] const std::vector<Setting>& Items() const { return items_; }
    [[nodiscard]] bool Empty() const { return items_.empty(); }
    // Puts the settings in the order of `names`; names not listed keep their order at the end.
    void Order(const std::vector<std::string_view>& names);

private:
    std::vector<Setting> items_;
};

// {"sample_rate":16,"set1":{"staff_length":1.5,...},...}
[[nodiscard]] std::string SettingsJson(const SettingList& settings);
// One line of the settings record: {"time":...,"address":...,"device_number":...,"event":
// "read"|"write",["changed":NAME,]"settings":{...}}. `time` is ISO 8601 text.
[[nodiscard]] std::string SettingsRecordJson(std::string_view time, std::string_view address,
                                             long long deviceNumber, std::string_view event,
                                             std::string_view changed,
                                             const SettingList& settings);
// One "name=value" line each (with "\n"), the form the companion's write takes.
[[nodiscard]] std::string SettingsText(const SettingList& settings);
// A value as JSON writes it, and as text (lists joined with commas, texts bare).
[[nodiscard]] std::string SettingJson(const SettingValue& value);
[[nodiscard]] std::string SettingText(const SettingValue& value);
// The shortest decimal text of a real that reads back as the same value, "1.5", never "1,5".
[[nodiscard]] std::string RealText(double value);
// A JSON string with its quotes; control characters and bytes above 0x7E escaped.
[[nodiscard]] std::string JsonQuoted(std::string_view text);

} // namespace undarix::core::codec
