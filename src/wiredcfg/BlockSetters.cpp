#include "wiredcfg/BlockSetters.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/SerialPort.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/Delay.h"
#include "ui/StatusMessage.h"
#include "wiredcfg/BlockWrite.h"
#include "wiredcfg/SettingsEvents.h"

#include <string>

namespace undarix::wiredcfg {
namespace {

using core::Program;
using namespace core::configpage;

enum ModeBit : int {
    kBinaryFormat = 0,
    kSerialOutput = 1,
    kAirTemperature = 4,
    kAnalogOutput = 5,
    kSyncRunMode = 6,
    kTtlRunMode = 7,
};
constexpr int kAlarm1Bit = 1;
constexpr int kAlarm2Bit = 2;

void SetBit(std::uint8_t& flags, int bit, bool on) {
    if (on)
        flags = std::uint8_t(flags | (1u << bit));
    else
        flags = std::uint8_t(flags & ~(1u << bit));
}

// The five steps of every block setting: dim the control, take its value into the record,
// clear the Deve Zuravi set-clock request where the setting says so, send the block.
template <class Update>
void WriteSetting(ui::Event event, ui::Role role, bool clearsSetClock, Update update) {
    if (event != ui::Event::Commit || !core::IsWiredKind(Program.UnitType)) return;
    ui::SetDimmed(role, true);
    update();
    if (clearsSetClock) ClearSetClockRequest();
    TxWSAllConfig();
}

void WriteModeBit(ui::Event event, ui::Role role, int bit, bool clearsSetClock) {
    WriteSetting(event, role, clearsSetClock,
                 [&] { SetBit(Program.WSAll.ModeFlags, bit, ui::GetInt(role) != 0); });
}

void WriteAlarmSwitch(ui::Event event, ui::Role role, int bit) {
    WriteSetting(event, role, false, [&] {
        std::uint8_t& flags = Program.WSAll.AlarmFlags;
        SetBit(flags, bit, ui::GetInt(role) != 0);
        SetBit(flags, 0, (flags >> kAlarm1Bit & 1) || (flags >> kAlarm2Bit & 1));
    });
}

void WriteAlarmLevel(ui::Event event, ui::Role role, float core::WiredConfigRecord::*level) {
    WriteSetting(event, role, false,
                 [&] { Program.WSAll.*level = float(ui::GetReal(role) * 1000.0); });
}

// A board setting: its command letter, a pause, then the value as a line ended LF CR. The
// page is read again afterwards (`ConfigStatus` 0 restarts the board's hand-shake).
template <class ValueText>
void SendBoardSetting(ui::Role role, char command, double settle, ValueText valueText) {
    const int port = Program.OpenComPortNum;
    ui::SetDimmed(role, true);
    link::FlushOutQ(port);
    link::ComWrtByte(port, command);
    ui::Delay(0.4);
    link::FlushOutQ(port);
    ui::Delay(settle);
    const std::string text = valueText() + "\n\r";
    link::ComWrt(port, text.data(), int(text.size()));
    ui::Delay(0.6);
    NoteWiredWriteSent();
    Program.ConfigStatus = 0;
}

bool BoardCommit(ui::Event event) {
    return event == ui::Event::Commit && core::IsBoard(Program.UnitType);
}

const char* const kSampleRateHelp =
    "The Sample Rate is the rate in Hz at which the Ravo Zerars and Deve Zuravis\n"
    "measure the water level.  Set it 8 or more times higher than the frequency\n"
    "of the fastest waves expected.\n\n"
    "Ravo Zerars with firmware after 3-20-2015 update their Analog Output at\n"
    "100 Hz when the Serial Output is off.";
const char* const kRunModeHelp =
    "Free Run Mode: the unit samples and outputs its data at the configured\n"
    "Sample Rate.  This is the mode in which this Interface Program can display\n"
    "and plot the data.\n\n"
    "Sync Mode: the unit takes a sample only when a sample command comes\n"
    "through the Comm Port.";
const char* const kTtlRunModeHelp =
    "For Ravo Zerars with firmware after 3-20-2015.\n\n"
    "Free Run: the unit samples at the configured Sample Rate (with the Serial\n"
    "Output off the Analog Output is updated at 100 Hz).\n\n"
    "Sync Mode: a sample is taken on each rising edge of the TTL sync wire, at\n"
    "most 33 Hz with the Serial Output on and 110 Hz with it off.";
const char* const kSerialOutputHelp = "The Serial Output must be \"On\" to display and\n"
                                      "plot data with this Interface Program.\n\n";
const char* const kAirTemperatureHelp =
    "Select \"On\" to Sample and Output the units temperature.\n";
const char* const kDataFormatHelp = "The Data Format must be ASCII to display and\n"
                                    "plot data with this Interface Program.\n\n";
const char* const kFileIntervalHelp = "The File Interval is the time in days from the\n"
                                      "start of one File to the start of the next File.\n";
const char* const kTimeTagHelp = "How often the Vazavevezeze puts the time into its data:\n"
                                 "never, every minute, every hour or every day.";

} // namespace

void WSWLRate(ui::Event event) {
    if (BoardCommit(event)) {
        return SendBoardSetting(WiredSampleRateField, 'f', 0.1, [] {
            Program.WSAll.SampleRate = std::uint8_t(ui::GetInt(WiredSampleRateField));
            return std::to_string(int(Program.WSAll.SampleRate));
        });
    }
    WriteSetting(event, WiredSampleRateField, true,
                 [] { Program.WSAll.SampleRate = std::uint8_t(ui::GetInt(WiredSampleRateField)); });
}

void WSWLRunMode(ui::Event event) {
    if (BoardCommit(event)) {
        return SendBoardSetting(PortRunModeRing, 'm', 0.2, [] {
            Program.WSAll.SyncRunMode = ui::GetInt(PortRunModeRing);
            return std::string(Program.WSAll.SyncRunMode == 1 ? "command" : "freerun");
        });
    }
    WriteModeBit(event, PortRunModeRing, kSyncRunMode, false);
}

void WSTTLRunMode(ui::Event event) {
    WriteModeBit(event, TtlRunModeSwitch, kTtlRunMode, false);
}

void WSAnalogOut(ui::Event event) {
    WriteModeBit(event, AnalogOutputSwitch, kAnalogOutput, false);
}

void WSWLSerialOut(ui::Event event) {
    WriteModeBit(event, SerialOutputSwitch, kSerialOutput, true);
}

void WSWLAirTempCtrl(ui::Event event) {
    WriteModeBit(event, AirTemperatureSwitch, kAirTemperature, true);
}

void WSWLBinFormat(ui::Event event) {
    WriteSetting(event, WiredDataFormatSwitch, false, [] {
        if (ui::GetInt(WiredDataFormatSwitch) != 0)
            ui::ShowStatus("The data format stays ASCII: this program reads no other.");
        ui::SetInt(WiredDataFormatSwitch, 0);
        SetBit(Program.WSAll.ModeFlags, kBinaryFormat, false);
    });
}

void Alarm1Enable(ui::Event event) {
    WriteAlarmSwitch(event, Alarm1EnableSwitch, kAlarm1Bit);
}

void Alarm2Enable(ui::Event event) {
    WriteAlarmSwitch(event, Alarm2EnableSwitch, kAlarm2Bit);
}

void Alarm1On(ui::Event event) {
    WriteAlarmLevel(event, Alarm1OnLevel, &core::WiredConfigRecord::Alarm1On);
}

void Alarm1Off(ui::Event event) {
    WriteAlarmLevel(event, Alarm1OffLevel, &core::WiredConfigRecord::Alarm1Off);
}

void Alarm2On(ui::Event event) {
    WriteAlarmLevel(event, Alarm2OnLevel, &core::WiredConfigRecord::Alarm2On);
}

void Alarm2Off(ui::Event event) {
    WriteAlarmLevel(event, Alarm2OffLevel, &core::WiredConfigRecord::Alarm2Off);
}

void SelFileInterval(ui::Event event) {
    WriteSetting(event, FileIntervalField, true,
                 [] { Program.WSAll.FileInterval = ui::GetInt(FileIntervalField); });
}

void WSSyncTimeTag(ui::Event event) {
    if (event != ui::Event::Commit) return;
    const int port = Program.OpenComPortNum;
    ui::SetDimmed(TimeTagRing, true);
    link::FlushOutQ(port);
    ui::Delay(0.2);
    link::ComWrtByte(port, 't');
    ui::Delay(0.4);
    link::FlushOutQ(port);
    ui::Delay(0.2);
    Program.WSAll.SyncTimeTag = ui::GetInt(TimeTagRing);
    const char* const units[] = {"none", "min", "hour", "day"};
    const int tag = Program.WSAll.SyncTimeTag;
    const std::string text = std::string(tag >= 1 && tag <= 3 ? units[tag] : units[0]) + "\n\r";
    link::ComWrt(port, text.data(), int(text.size()));
    ui::Delay(0.6);
    NoteWiredWriteSent();
    Program.ConfigStatus = 0;
}

void BindBlockSetters() {
    ui::OnEvent(WiredSampleRateField, WSWLRate);
    ui::OnEvent(PortRunModeRing, WSWLRunMode);
    ui::OnEvent(TtlRunModeSwitch, WSTTLRunMode);
    ui::OnEvent(AnalogOutputSwitch, WSAnalogOut);
    ui::OnEvent(SerialOutputSwitch, WSWLSerialOut);
    ui::OnEvent(AirTemperatureSwitch, WSWLAirTempCtrl);
    ui::OnEvent(WiredDataFormatSwitch, WSWLBinFormat);
    ui::OnEvent(Alarm1EnableSwitch, Alarm1Enable);
    ui::OnEvent(Alarm2EnableSwitch, Alarm2Enable);
    ui::OnEvent(Alarm1OnLevel, Alarm1On);
    ui::OnEvent(Alarm1OffLevel, Alarm1Off);
    ui::OnEvent(Alarm2OnLevel, Alarm2On);
    ui::OnEvent(Alarm2OffLevel, Alarm2Off);
    ui::OnEvent(FileIntervalField, SelFileInterval);
    ui::OnEvent(TimeTagRing, WSSyncTimeTag);

    ui::SetHelp(WiredSampleRateField, "SAMPLE RATE", kSampleRateHelp);
    ui::SetHelp(PortRunModeRing, "COMM PORT RUN MODE", kRunModeHelp);
    ui::SetHelp(TtlRunModeSwitch, "TTL RUN MODE", kTtlRunModeHelp);
    ui::SetHelp(SerialOutputSwitch, "SERIAL OUTPUT", kSerialOutputHelp);
    ui::SetHelp(AirTemperatureSwitch, "AIR TEMPERATURE", kAirTemperatureHelp);
    ui::SetHelp(WiredDataFormatSwitch, "DATA FORMAT", kDataFormatHelp);
    ui::SetHelp(FileIntervalField, "FILE INTERVAL", kFileIntervalHelp);
    ui::SetHelp(TimeTagRing, "TIME TAG", kTimeTagHelp);
}

} // namespace undarix::wiredcfg
