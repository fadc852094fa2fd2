#include "cli/WiredConfigSession.h"

#include "cli/UnitPort.h"
#include "core/ConfigPageRoles.h"
#include "core/ProgramState.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

namespace undarix::cli {
namespace {

using core::Program;
using namespace core::configpage;

constexpr int kPageShown = 2;

QString Seconds(int ms) {
    return QString::number(ms / 1000.0, 'f', ms % 1000 == 0 ? 0 : 1);
}

bool Incomplete(const core::codec::SettingList& settings) {
    const core::codec::SettingValue* firmware = settings.Find("firmware");
    const core::codec::SettingValue* serial = settings.Find("serial");
    return !firmware || !serial || core::codec::SettingText(*firmware).empty() ||
           core::codec::SettingText(*serial).empty();
}

} // namespace

WiredConfigSession::WiredConfigSession(int timeoutMs) : timeoutMs_(timeoutMs) {
    listener_ = wiredcfg::AddWiredSettingsListener(
        [this](const wiredcfg::WiredSettingsEvent& event) { event_ = event; });
}

WiredConfigSession::~WiredConfigSession() {
    wiredcfg::RemoveWiredSettingsListener(listener_);
}

QString WiredConfigSession::Read(core::codec::SettingList& settings) {
    event_.reset();
    ui::SetInt(ConfigureRunSwitch, 1);
    ui::Dispatch(ConfigureRunSwitch, ui::Event::Commit);
    // A report that lost its lines on the way (no version, no serial number) is no
    // configuration: the board is asked again, as the page does after a setting.
    const auto complete = [this] {
        if (!event_) return false;
        if (!Incomplete(event_->settings)) return true;
        event_.reset();
        Program.ConfigStatus = 0;
        return false;
    };
    if (!RunUntil(complete, timeoutMs_))
        return QString("the unit did not send its configuration within %1 s")
            .arg(Seconds(timeoutMs_));
    settings = event_->settings;
    return {};
}

QString WiredConfigSession::Write(const WiredSettingWrite& write, QString& confirmed) {
    (void)RunUntil([] { return Program.ConfigStatus == kPageShown; }, timeoutMs_);
    event_.reset();
    CommitWiredSetting(write);
    bool written = false;
    const auto readBack = [this, &written] {
        if (!event_) return false;
        written = written || event_->afterWrite;
        if (written && !Incomplete(event_->settings)) return true;
        if (written) Program.ConfigStatus = 0;
        event_.reset();
        return false;
    };
    if (!RunUntil(readBack, timeoutMs_))
        return QString("the unit's configuration was not read back within %1 s")
            .arg(Seconds(timeoutMs_));
    const core::codec::SettingValue* value = event_->settings.Find(write.name.toStdString());
    const QString held = value ? QString::fromStdString(core::codec::SettingText(*value)) : "";
    if (!WiredWriteHolds(write, event_->settings))
        return QString("the unit holds %1").arg(held.isEmpty() ? "nothing" : held);
    confirmed = held;
    return {};
}

} // namespace undarix::cli
