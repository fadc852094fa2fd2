#include "app/SettingsRecord.h"

#include "core/codec/SettingList.h"
#include "files/ConfigRecordFile.h"
#include "files/NetworkOutput.h"
#include "radiocfg/SettingsEvents.h"
#include "ui/Clock.h"
#include "wiredcfg/SettingsEvents.h"

namespace undarix::app {
namespace {

long long DeviceNumber(const core::codec::SettingList& settings) {
    const core::codec::SettingValue* value = settings.Find("device_number");
    const long long* number = value ? std::get_if<long long>(value) : nullptr;
    return number ? *number : 0;
}

std::string AddressText(const core::codec::SettingList& settings) {
    const core::codec::SettingValue* value = settings.Find("address");
    const std::string* text = value ? std::get_if<std::string>(value) : nullptr;
    return text ? *text : std::string();
}

void Record(std::uint64_t address, const char* event, const std::string& changed,
            const core::codec::SettingList& settings) {
    const std::string time =
        ui::Now().toString("yyyy-MM-ddThh:mm:ss").toStdString();
    const long long device = DeviceNumber(settings);
    const std::string line = core::codec::SettingsRecordJson(time, AddressText(settings), device,
                                                             event, changed, settings);
    files::RecordUnitSettings(address, line);
    if (files::NetworkOutputRunning()) files::PublishUnitSettings(int(device), line);
}

} // namespace

void WireSettingsRecord() {
    radiocfg::AddSettingsListener([](const radiocfg::SettingsEvent& event) {
        if (event.what == radiocfg::SettingsEvent::What::Read)
            Record(event.address, "read", {}, event.settings);
        else if (event.what == radiocfg::SettingsEvent::What::Write)
            Record(event.address, "write", event.changed, event.settings);
    });
    // A wired unit's configuration is confirmed by reading it back: after a write the line
    // is the write's, with what the unit now holds.
    wiredcfg::AddWiredSettingsListener([](const wiredcfg::WiredSettingsEvent& event) {
        const core::codec::SettingValue* device = event.settings.Find("device_number");
        const long long* number = device ? std::get_if<long long>(device) : nullptr;
        Record(std::uint64_t(number ? *number : 0), event.afterWrite ? "write" : "read", {},
               event.settings);
    });
}

} // namespace undarix::app
