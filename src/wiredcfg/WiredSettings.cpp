#include "wiredcfg/WiredSettings.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "ui/Controls.h"
#include "wiredcfg/BlockWrite.h"
#include "wiredcfg/ConfigDisplay.h"

#include <initializer_list>

namespace undarix::wiredcfg {
namespace {

using core::Program;
using namespace core::configpage;

constexpr std::uint8_t kStartTimeBit = 0x20;
constexpr int kWiredDeviceNumber = 1;

const std::initializer_list<ui::Role> kStartTimeFields = {
    StartYearField, StartMonthField, StartDayField, StartHourField, StartMinuteField};

void SendWithoutSettingClock() {
    ClearSetClockRequest();
    TxWSAllConfig();
}

} // namespace

void WiredBurstLength() {
    ui::SetDimmed(BurstLengthField, true);
    Program.WSAll.BurstLength = ui::GetInt(BurstLengthField);
    SendWithoutSettingClock();
}

void WiredBurstInterval() {
    ui::SetDimmed(BurstIntervalField, true);
    Program.WSAll.BurstInterval = ui::GetInt(BurstIntervalField);
    SendWithoutSettingClock();
}

void WiredEnableStartTime() {
    ui::SetDimmed(StartTimeSwitch, true);
    std::uint8_t& flags = Program.WSAll.ModeFlags;
    if (ui::GetInt(StartTimeSwitch) == 1)
        flags |= kStartTimeBit;
    else
        flags &= std::uint8_t(~kStartTimeBit);
    SendWithoutSettingClock();
}

void WiredWriteStartTime() {
    for (ui::Role field : kStartTimeFields) {
        ui::SetTextColor(field, ui::kBlack);
        ui::SetDimmed(field, true);
    }
    ui::SetButtonMark(WriteStartTimeButton, 0);
    ui::SetDimmed(WriteStartTimeButton, true);
    core::WiredConfigRecord& record = Program.WSAll;
    record.StartYear = ui::GetInt(StartYearField);
    record.StartMonth = ui::GetInt(StartMonthField);
    record.StartDay = ui::GetInt(StartDayField);
    record.StartHour = ui::GetInt(StartHourField);
    record.StartMinute = ui::GetInt(StartMinuteField);
    SendWithoutSettingClock();
}

void WiredStaffType() {
    ui::SetInt(StaffTypeRing, StaffTypeFor(Program.UnitType, Program.WSAll.StaffLength));
}

void WiredStaffLengthEdited() {
    ui::SetTextColor(StaffLengthField, ui::kRed);
    ui::SetButtonMark(SetDefaultValuesButton, ui::kRed);
}

void WiredNewDeviceNum() {
    ui::SetInt(NewDeviceNumberField, kWiredDeviceNumber);
}

void WiredGainOffsetDisplayOnly() {
    ui::SetReal(GainField, Program.WSAll.Gain);
    ui::SetReal(OffsetField, Program.WSAll.Offset);
}

void WiredCalValueEdited(ui::Role field) {
    ui::SetTextColor(field, ui::kRed);
    ui::SetButtonMark(WiredCalibrateButton, ui::kRed);
}

} // namespace undarix::wiredcfg
