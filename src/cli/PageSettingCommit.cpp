#include "cli/PageSettingCommit.h"

#include "core/ConfigPageRoles.h"
#include "ui/Callbacks.h"

namespace undarix::cli {
namespace {

using namespace core::configpage;

const ui::Role kStartFields[] = {StartYearField, StartMonthField, StartDayField, StartHourField,
                                 StartMinuteField};
const ui::Role kClockFields[] = {ClockYearField, ClockMonthField,  ClockDayField,
                                 ClockHourField, ClockMinuteField, ClockSecondField};

void SetFields(const ui::Role* roles, std::size_t roleCount, const std::vector<int>& fields) {
    for (std::size_t k = 0; k < fields.size() && k < roleCount; ++k)
        ui::SetInt(roles[k], fields[k]);
}

} // namespace

void CommitOnPage(const PageSetting& setting, double number, const std::vector<int>& fields,
                  bool clockFromPc) {
    switch (setting.form) {
    case SettingForm::Int: ui::SetInt(setting.value, int(number)); break;
    case SettingForm::Real: ui::SetReal(setting.value, number); break;
    case SettingForm::StartTime: SetFields(kStartFields, std::size(kStartFields), fields); break;
    case SettingForm::Clock:
        if (clockFromPc) {
            ui::Dispatch(SyncClockButton, ui::Event::Commit);
            return;
        }
        SetFields(kClockFields, std::size(kClockFields), fields);
        break;
    }
    ui::Dispatch(setting.commit, ui::Event::Commit);
}

} // namespace undarix::cli
