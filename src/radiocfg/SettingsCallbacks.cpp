#include "radiocfg/SettingsCallbacks.h"

#include "core/ConfigPageRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "radiocfg/SettingWrite.h"
#include "radiocfg/UnitCommandSender.h"
#include "radiocfg/codec/UnitCommand.h"
#include "ui/Controls.h"
#include "ui/Popups.h"
#include "ui/StraySteps.h"
#include "wiredcfg/WiredSettings.h"

#include <QString>

#include <string>

namespace undarix::radiocfg {
namespace {

using namespace core::configpage;
using core::Program;

constexpr int kOneSampleFormat = 4;
constexpr int kOneSampleRateLimit = 8;
constexpr int kSonicStaff = 3;

bool Radio() {
    return core::IsRadioKind(Program.UnitType);
}

bool Sonic() {
    return Program.UnitType == core::RezavIvirErazudXB ||
           Program.UnitType == core::RezavIvirErazudRV;
}

// The write of an integer setting: "WX,7" and the like.
void WriteInt(ui::Role control, const char* letters) {
    WriteSetting(control, codec::FormatInt(letters, ui::GetInt(control)));
}

// The serial number as the unit's line can carry it: printable ASCII only, so that no line end
// or other control character ends the command early or starts another.
std::string SerialNumberText() {
    std::string text;
    for (QChar c : ui::GetText(SerialNumberEntry)) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F) text += char(u);
    }
    return text;
}

void MarkStartTimeEdit(ui::Role field, ui::Event event) {
    if (event != ui::Event::Commit) return;
    ui::SetTextColor(field, ui::kRed);
    ui::SetButtonMark(WriteStartTimeButton, ui::kRed);
}

const ui::Role kStartTimeFields[] = {StartYearField, StartMonthField, StartDayField, StartHourField,
                                     StartMinuteField};

const char* const kDeviceNumberHelp =
    "The Device Number tells the XB devices apart.  It may be set to any\n"
    "value from 1 to 255; avoid giving two devices the same number.\n\n"
    "Wired units are preset to device number 1, which cannot be changed.";

const char* const kSerialNumberHelp = "Saves the serial number of units shipped to customers.\n"
                                      "Factory use only.";

// Paragraphs without breaks inside a sentence: the pop-up and the tooltip wrap the lines to
// their width, and a fixed break inside one ("31.25 ms" / "interval") then reads badly.
const char* const kFilterHelp =
    "Filter of the Ravo Zerars: off, each sample is the average of a 31.25 ms interval; on, "
    "each sample is the average of the full sample period plus the previous value.\n\n"
    "Filter of the sonic sensors: off, each sample is a single time of travel; on, the sensor "
    "reads at 64 Hz and each sample is the average of the readings of the last two sample "
    "periods.";

const QString kSamplingHelp =
    QString("The Sample Rate is the number of samples per second (Hz). Its maximum depends on "
            "the Data Format and on the number of units sharing the radio network (see the "
            "Data Format help).\n\n") +
    kFilterHelp;

const char* const kRadioBurstLengthHelp =
    "The Burst Length is the time in minutes that samples are collected\n"
    "before the device goes to sleep; 0 samples continuously.\n"
    "It must be at least 1 minute less than the Burst Interval.\n\n"
    "A broadcast power-on resets the Burst Length of the XB units to 0.";

const char* const kWiredBurstLengthHelp =
    "The Burst Length is the time in minutes that the Deve Zuravi collects\n"
    "samples before it goes to sleep; 0 samples continuously.\n"
    "It must be at least 1 minute less than the Burst Interval.";

const char* const kBurstIntervalHelp =
    "The Burst Interval is the time in minutes from the start of one burst\n"
    "to the start of the next.  It must be 1 minute greater than the\n"
    "Burst Length.";

const char* const kDataFormatHelp = "ASCII 32 Samples: 1.0 mm resolution;\n"
                                    "    3 units at 32 Hz, 6 at 16 Hz, 8 at 8 Hz or less.\n"
                                    "Float 32 Samples: 0.1 mm resolution;\n"
                                    "    4 units at 32 Hz, 8 at 16 Hz or less.\n"
                                    "Integer 64 Samples: 1.0 mm resolution;\n"
                                    "    8 units at 32 Hz or less.\n"
                                    "ASCII 1 Sample: 1.0 mm resolution, one sample per message;\n"
                                    "    1 unit at 8 Hz, 2 at 4 Hz, 4 at 2 Hz, 8 at 1 Hz.";

const char* const kOneSampleLimitText = "The ASCII  1 Sample Format maximun Sample Rate is 8 Hz.\n"
                                        "Lower the Sample rate to 8 or less to select this\n"
                                        "one sample per RF measage mode.";

const char* const kStartTimeHelp =
    "With the Start Time switch on, sampling waits until the unit's clock\n"
    "is later than the Start Time, and it starts and stops only when the\n"
    "clock's second is zero.";

const char* const kPowerHelp = "Turn off this XB device number only.\n"
                               "The unit will power-down in a few minutes.";

const char* const kBatteryVoltageHelp = "The gauge's colour shows the battery's remaining life:\n"
                                        "    dark green   100 to 80 %\n"
                                        "    light green   80 to 60 %\n"
                                        "    yellow         60 to 40 %\n"
                                        "    orange         40 to 20 %\n"
                                        "    red            20 to 0 %";

const char* const kStaffTypeHelp =
    "For XB units the Staff Type tells the kind of sensor: rod, cable or\n"
    "sonic.  For wired units it is set automatically.";

const char* const kRadioStaffLengthHelp = "For XB units the Staff Length is for reference \n"
                                          "only. It has no effect on the calibration\n\n";

const char* const kWiredStaffLengthHelp =
    "To change the satff length change this value and press\n"
    "the Set Default button.  WARNING the present calibration\n"
    "values will be lost.";

} // namespace

void NewDeviceNum(ui::Event event) {
    if (MarkEdit(NewDeviceNumberField, event, ui::kBlack) || event != ui::Event::Commit) return;
    EndEdit(NewDeviceNumberField, ui::kBlack);
    if (!Radio()) return wiredcfg::WiredNewDeviceNum();
    WriteInt(NewDeviceNumberField, "WX");
}

void SaveSerialNumber(ui::Event event) {
    // The entry is shown for radio units only: a wired port carries no API frames.
    if (event != ui::Event::Commit || !Radio()) return;
    WriteSetting(SerialNumberEntry, codec::FormatSerialNumber(SerialNumberText()));
}

void SelSampleRate(ui::Event event) {
    if (!Radio()) return;
    if (MarkEdit(SampleRateField, event, ui::kBlack) || event != ui::Event::Commit) return;
    EndEdit(SampleRateField, ui::kBlack);
    ui::SetDimmed(SampleRateField, true);
    int rate = ui::GetInt(SampleRateField);
    if (ui::GetInt(DataFormatRing) == kOneSampleFormat && rate > kOneSampleRateLimit) {
        rate = kOneSampleRateLimit;
        ui::SetInt(SampleRateField, rate);
    }
    WriteSetting(SampleRateField, codec::FormatInt("WS", rate));
}

void SelBurstLength(ui::Event event) {
    if (!Radio()) {
        if (event == ui::Event::Commit) wiredcfg::WiredBurstLength();
        return;
    }
    if (MarkEdit(BurstLengthField, event, ui::kBlack) || event != ui::Event::Commit) return;
    EndEdit(BurstLengthField, ui::kBlack);
    WriteInt(BurstLengthField, "WL");
}

void SelBurstInterval(ui::Event event) {
    if (!Radio()) {
        if (event == ui::Event::Commit) wiredcfg::WiredBurstInterval();
        return;
    }
    if (MarkEdit(BurstIntervalField, event, ui::kBlack) || event != ui::Event::Commit) return;
    EndEdit(BurstIntervalField, ui::kBlack);
    WriteInt(BurstIntervalField, "WI");
}

void AntiAliasFilter(ui::Event event) {
    if (event != ui::Event::Commit || !Radio()) return;
    WriteInt(FilterSwitch, "WF");
}

void SelDataFormat(ui::Event event) {
    if (event != ui::Event::Commit || !Radio()) return;
    const int format = ui::GetInt(DataFormatRing);
    const int rate = ui::GetInt(SampleRateField);
    if (format == kOneSampleFormat && rate > kOneSampleRateLimit) {
        ui::SetInt(DataFormatRing, Program.LastDataFormat);
        ui::MessagePopup("ASCII 1 SAMPLE RATE LIMIT", kOneSampleLimitText);
        return;
    }
    WriteInt(DataFormatRing, "WO");
}

void EnableStartTime(ui::Event event) {
    if (event != ui::Event::Commit) return;
    if (!Radio()) return wiredcfg::WiredEnableStartTime();
    WriteInt(StartTimeSwitch, "WR");
}

void SelStartYear(ui::Event event) {
    MarkStartTimeEdit(StartYearField, event);
}
void SelStartMonth(ui::Event event) {
    MarkStartTimeEdit(StartMonthField, event);
}
void SelStartDay(ui::Event event) {
    MarkStartTimeEdit(StartDayField, event);
}
void SelStartHour(ui::Event event) {
    MarkStartTimeEdit(StartHourField, event);
}
void SelStartMinute(ui::Event event) {
    MarkStartTimeEdit(StartMinuteField, event);
}

void WriteStartTime(ui::Event event) {
    if (event != ui::Event::Commit) return;
    if (!Radio()) return wiredcfg::WiredWriteStartTime();
    for (ui::Role field : kStartTimeFields) {
        ui::SetTextColor(field, ui::kBlack);
        ui::SetDimmed(field, true);
    }
    ui::SetButtonMark(WriteStartTimeButton, 0);
    ui::SetDimmed(WriteStartTimeButton, true);
    if (!UnitToWrite()) return;
    // At once and with no reply awaited: the acknowledge "1" undims the fields.
    SendUnitCommand(codec::FormatStartTime(ui::GetInt(StartYearField), ui::GetInt(StartMonthField),
                                           ui::GetInt(StartDayField), ui::GetInt(StartHourField),
                                           ui::GetInt(StartMinuteField)));
}

void EnablePower(ui::Event event) {
    if (event != ui::Event::Commit || !Radio()) return;
    WriteInt(PowerSwitch, "WP");
}

void ReadBattery(ui::Event event) {
    if (event != ui::Event::Commit || !Radio() || !UnitToWrite()) return;
    SendUnitCommand(codec::FormatRead("RV"));
    Program.TxWait = 1;
}

void SelStaffType(ui::Event event) {
    if (event != ui::Event::Commit) return;
    if (Program.UnitType == core::RavoZerarXB) {
        WriteSetting(StaffTypeRing,
                     codec::FormatSetInt('T', WriteCurrentMode(), ui::GetInt(StaffTypeRing)));
    } else if (Sonic()) {
        ui::SetInt(StaffTypeRing, kSonicStaff);
    } else {
        wiredcfg::WiredStaffType();
    }
}

void SelStaffLength(ui::Event event) {
    if (!Radio()) {
        if (event == ui::Event::Commit) wiredcfg::WiredStaffLengthEdited();
        return;
    }
    if (MarkEdit(StaffLengthField, event, ui::kGreen) || event != ui::Event::Commit) return;
    ui::SetDimmed(StaffLengthField, true);
    EndEdit(StaffLengthField, ui::kGreen);
    WriteSetting(StaffLengthField,
                 codec::FormatSetReal('S', WriteCurrentMode(), ui::GetReal(StaffLengthField)));
}

ui::HelpText StartTimeHelp() {
    if (Radio())
        return {"START TIME",
                QString(kStartTimeHelp) +
                    "\n\nA broadcast power-on switches the Start Time of the XB units off."};
    return {"START TIME", QString(kStartTimeHelp) +
                              "\n\nSet the Start Time one minute before the desired start."};
}

void StartTimePopup() {
    const ui::HelpText help = StartTimeHelp();
    ui::MessagePopup(help.title, help.text);
}

ui::HelpText BatteryVoltageHelp() {
    if (Program.UnitType == core::RezavIvirErazudRV)
        return {"SUPPLY VOLTAGE", "Display the external Supply Voltage\n"};
    return {"BATTERY VOLTAGE", kBatteryVoltageHelp};
}

void BindSettingsCallbacks() {
    struct Binding {
        ui::Role role;
        ui::Handler handler;
    };
    const Binding bindings[] = {
        {NewDeviceNumberField, NewDeviceNum},
        {SerialNumberEntry, SaveSerialNumber},
        {SampleRateField, SelSampleRate},
        {BurstLengthField, SelBurstLength},
        {BurstIntervalField, SelBurstInterval},
        {FilterSwitch, AntiAliasFilter},
        {DataFormatRing, SelDataFormat},
        {StartTimeSwitch, EnableStartTime},
        {StartYearField, SelStartYear},
        {StartMonthField, SelStartMonth},
        {StartDayField, SelStartDay},
        {StartHourField, SelStartHour},
        {StartMinuteField, SelStartMinute},
        {WriteStartTimeButton, WriteStartTime},
        {PowerSwitch, EnablePower},
        {ReadVoltageButton, ReadBattery},
        {StaffTypeRing, SelStaffType},
        {StaffLengthField, SelStaffLength},
    };
    for (const Binding& binding : bindings)
        ui::OnEvent(binding.role, binding.handler);

    ui::SetHelp(NewDeviceNumberField, "DEVICE NUMBER", kDeviceNumberHelp);
    ui::SetHelp(SerialNumberEntry, "SAVE SERIAL NUMBER", kSerialNumberHelp);
    ui::SetHelp(SampleRateField, "SAMPLING SETTINGS", kSamplingHelp);
    ui::SetHelpProvider(BurstLengthField, [] {
        return std::optional<ui::HelpText>(
            {"BURST LENGTH", Radio() ? kRadioBurstLengthHelp : kWiredBurstLengthHelp});
    });
    ui::SetHelp(BurstIntervalField, "BURST INTERVAL", kBurstIntervalHelp);
    ui::SetHelp(FilterSwitch, "FILTER", kFilterHelp);
    ui::SetHelp(DataFormatRing, "DATA FORMAT", kDataFormatHelp);
    for (ui::Role role : {StartTimeSwitch, StartYearField, StartMonthField, StartDayField,
                          StartHourField, StartMinuteField, WriteStartTimeButton})
        ui::SetHelpProvider(role, [] { return std::optional<ui::HelpText>(StartTimeHelp()); });
    ui::SetHelp(PowerSwitch, "POWER", kPowerHelp);
    ui::SetHelpProvider(ReadVoltageButton, [] {
        const bool battery =
            Program.UnitType == core::RavoZerarXB || Program.UnitType == core::RezavIvirErazudXB;
        return std::optional<ui::HelpText>(
            {"READ", battery ? "Read and display the XB unit's Battery Voltage"
                             : "Read and display the external supply Voltage"});
    });
    ui::SetHelpProvider(VoltageGauge,
                        [] { return std::optional<ui::HelpText>(BatteryVoltageHelp()); });
    ui::SetHelp(StaffTypeRing, "STAFF TYPE", kStaffTypeHelp);
    ui::SetHelpProvider(StaffLengthField, [] {
        return std::optional<ui::HelpText>(
            {"STAFF LENGTH", Radio() ? kRadioStaffLengthHelp : kWiredStaffLengthHelp});
    });

    ui::PreventStrayCommits({NewDeviceNumberField, SampleRateField, BurstLengthField,
                             BurstIntervalField, StaffLengthField, DataFormatRing, StaffTypeRing});
}

} // namespace undarix::radiocfg
