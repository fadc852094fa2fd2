#include "live/DeviceTable.h"

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace undarix::live {
using namespace core;

std::array<OutputLineRecord, kTableSlots> OutputLine;

namespace {

// The cell names of the nine columns, built once: a packet redraws its row without building
// strings.
struct ColumnNames {
    std::array<std::string, 8> power = ui::ArrayOfEight(mainpanel::PowerArray);
    std::array<std::string, 8> led = ui::ArrayOfEight(mainpanel::LEDArray);
    std::array<std::string, 8> address = ui::ArrayOfEight(mainpanel::AddressArray);
    std::array<std::string, 8> device = ui::ArrayOfEight(mainpanel::DeviceArray);
    std::array<std::string, 8> rate = ui::ArrayOfEight(mainpanel::RateArray);
    std::array<std::string, 8> dateTime = ui::ArrayOfEight(mainpanel::DateTimeArray);
    std::array<std::string, 8> offset = ui::ArrayOfEight(mainpanel::OffsetArray);
    std::array<std::string, 8> output = ui::ArrayOfEight(mainpanel::OutputArray);
    std::array<std::string, 8> zeroAbs = ui::ArrayOfEight(mainpanel::ZeroAbsArray);

    template <class F> void ForRow(int row, F&& f) const {
        for (const auto* column :
             {&power, &led, &address, &device, &rate, &dateTime, &offset, &output, &zeroAbs})
            f((*column)[row]);
    }
};

const ColumnNames& Columns() {
    static const ColumnNames names;
    return names;
}

constexpr std::uint32_t kBatteryGood = 0x00CC00;
constexpr std::uint32_t kBatteryLow = 0xFFFF00;
constexpr std::uint32_t kBatteryBad = 0xFF0000;

bool ValidRow(int row) {
    return row >= 0 && row < kTableSlots;
}

// The zero mode of a freed record whose unit may come back: a wired unit or staff after a
// restarted connection, a radio unit the presence timer let go. Kept by address, so that the
// same unit gets its reference back and no other unit inherits it.
struct KeptZero {
    std::uint64_t address = 0;
    int zeroMode = 0;
    float zeroOffset = 0.0f;
};
// More than the table holds: units come and go over weeks; the oldest is forgotten first.
constexpr std::size_t kKeptZerosMax = 64;
using KeptZeros = std::vector<KeptZero>;
KeptZeros keptZeros;

// While a file plays the table shows the file's units; the units on the port go on being
// decoded, logged and published in their own table, set aside here and swapped in (out of
// sight) for each live packet.
struct LiveTableAside {
    bool held = false;
    bool inUse = false; // the live table is swapped in: nothing is drawn
    std::array<OutputLineRecord, kTableSlots> records;
    KeptZeros zeros;
};
LiveTableAside aside;

void GiveBackZero(OutputLineRecord& record) {
    for (auto kept = keptZeros.begin(); kept != keptZeros.end(); ++kept) {
        if (kept->address != record.address) continue;
        record.zeroMode = kept->zeroMode;
        record.zeroOffset = kept->zeroOffset;
        keptZeros.erase(kept);
        return;
    }
}

void FreeAllRecords() {
    for (OutputLineRecord& record : OutputLine) {
        record.address = 0;
        record.deviceNumber = 0;
    }
    ClearAllDisplayLines();
}

void SwapInLiveTable() {
    std::swap(OutputLine, aside.records);
    std::swap(keptZeros, aside.zeros);
}

} // namespace

int GetOutputLineLoc(std::uint64_t address) {
    for (int slot = 0; slot < kTableSlots; ++slot)
        if (OutputLine[slot].address == address) return slot;
    for (int slot = 0; slot < kTableSlots; ++slot) {
        if (OutputLine[slot].address != 0) continue;
        // A new unit starts from a clean record: nothing of the unit that held the slot
        // before (rate, value, time stamp, zero offset) may show in the new unit's row.
        OutputLine[slot] = OutputLineRecord{};
        OutputLine[slot].sampleRate = 1; // as every record starts
        OutputLine[slot].address = address;
        GiveBackZero(OutputLine[slot]);   // only the same wired unit or staff, reconnected
        Program.FastSyncSecTimeout = 300; // a new unit: synchronise clocks quickly again
        SortAllDisplayNum();
        DisplayAllOutputLines();
        return slot;
    }
    return kNoSlot;
}

void SortAllDisplayNum() {
    for (OutputLineRecord& record : OutputLine) {
        int smaller = 0;
        for (const OutputLineRecord& other : OutputLine)
            if (other.address != 0 && other.address < record.address) ++smaller;
        record.displayRow = std::uint8_t(smaller);
    }
}

namespace {

// Draws a record into its row. After a packet, a one-sample record counts its sample into the
// offset and the cells its record type concerns are drawn. A redraw of the whole table (rows
// move when units come and go) draws every cell from what the record holds and counts
// nothing: otherwise a moved one-sample unit would show no time stamp, or another unit's,
// until its next time record.
void DrawRecord(int slot, bool redraw) {
    if (!ValidRow(slot) || aside.inUse) return;
    OutputLineRecord& record = OutputLine[slot];
    if (record.address == 0) {
        DefaultOutputLine(0);
        return;
    }
    const ColumnNames& cells = Columns();
    const int row = record.displayRow;
    ui::SetInt(cells.power[row], record.updated);
    ui::SetInt(cells.led[row], record.updated);
    switch (record.batteryStatus) {
    case '0': ui::SetLedColor(cells.led[row], kBatteryGood); break;
    case '2': ui::SetLedColor(cells.led[row], kBatteryLow); break;
    case '3': ui::SetLedColor(cells.led[row], kBatteryBad); break;
    default: break;
    }
    ui::SetU64(cells.address[row], record.address);
    ui::SetInt(cells.device[row], record.deviceNumber);
    ui::SetInt(cells.zeroAbs[row], record.zeroMode);
    if (redraw || record.recordType == 1 || record.recordType == 0) {
        ui::SetInt(cells.rate[row], record.sampleRate);
        ui::SetReal(cells.output[row], record.lastValue);
        if (!redraw && record.recordType == 1 && record.sampleRate != 0)
            record.offsetTime += 1000 / record.sampleRate;
        ui::SetInt(cells.offset[row], record.offsetTime);
    }
    if (redraw || record.recordType == 9 || record.recordType == 0) {
        ui::SetText(cells.dateTime[row], QString::fromLatin1(record.timeStamp));
        if (!redraw && record.recordType == 9) {
            record.offsetTime = 0;
            ui::SetInt(cells.offset[row], 0);
        }
    }
    if (record.recordType == 4) {
        const bool live = Program.DataSource == kSourceSerialPort;
        ui::SetReal(mainpanel::AirTempLive, record.airTemperature);
        ui::SetReal(mainpanel::AirTempFile, record.airTemperature);
        ui::SetDimmed(mainpanel::AirTempLive, !live);
        ui::SetDimmed(mainpanel::AirTempFile, live);
    }
    UnDimLine(row);
}

} // namespace

void WrLine2Display(int slot) {
    DrawRecord(slot, false);
}

void DisplayAllOutputLines() {
    if (aside.inUse) return;
    // A free slot would reset row 0, which an occupied record may be showing; free slots are
    // skipped instead.
    for (int slot = 0; slot < kTableSlots; ++slot)
        if (OutputLine[slot].address != 0) DrawRecord(slot, true);
}

void DefaultOutputLine(int row) {
    if (!ValidRow(row)) return;
    Columns().ForRow(row, [](const std::string& cell) { ui::DefaultCtrl(cell); });
    DimLine(row);
}

void ClearAllDisplayLines() {
    if (aside.inUse) return;
    for (int row = 0; row < kTableSlots; ++row)
        DefaultOutputLine(row);
}

void DimLine(int row) {
    if (!ValidRow(row)) return;
    Columns().ForRow(row, [](const std::string& cell) { ui::SetDimmed(cell, true); });
}

void UnDimLine(int row) {
    if (!ValidRow(row)) return;
    // Rows are dimmed whole and this runs for every packet: the ends of the row tell.
    if (!ui::IsDimmed(Columns().power[row]) && !ui::IsDimmed(Columns().zeroAbs[row])) return;
    Columns().ForRow(row, [](const std::string& cell) { ui::SetDimmed(cell, false); });
}

void ClearAllOutputLines() {
    keptZeros.clear();
    FreeAllRecords();
}

void KeepZeroOf(const OutputLineRecord& record) {
    if (record.address == 0 || (record.zeroMode == 0 && record.zeroOffset == 0.0f)) return;
    std::erase_if(keptZeros,
                  [&](const KeptZero& kept) { return kept.address == record.address; });
    if (keptZeros.size() >= kKeptZerosMax) keptZeros.erase(keptZeros.begin());
    keptZeros.push_back({record.address, record.zeroMode, record.zeroOffset});
}

void ClearAllOutputLinesKeepingZero() {
    for (const OutputLineRecord& record : OutputLine)
        KeepZeroOf(record);
    FreeAllRecords();
}

void SetLiveTableAside() {
    if (!aside.held) {
        aside.records = OutputLine;
        aside.zeros = keptZeros;
        aside.held = true;
    }
    ClearAllOutputLines();
}

void BringBackLiveTable() {
    if (!aside.held) {
        ClearAllOutputLines();
        return;
    }
    OutputLine = aside.records;
    keptZeros = aside.zeros;
    aside = LiveTableAside{};
    ClearAllDisplayLines();
    SortAllDisplayNum();
    DisplayAllOutputLines();
}

void WithLiveTable(const std::function<void()>& serve) {
    if (!aside.held || aside.inUse) {
        serve();
        return;
    }
    SwapInLiveTable();
    aside.inUse = true;
    serve();
    aside.inUse = false;
    SwapInLiveTable();
}

bool LiveTableSetAside() {
    return aside.held;
}

bool LiveTableOutOfSight() {
    return aside.inUse;
}

void ShowUnitsNotHeard() {
    WithLiveTable([] {
        for (OutputLineRecord& record : OutputLine) {
            if (record.address == 0) continue;
            record.updated = 0;
            if (aside.inUse) continue; // the port's units are out of sight while a file plays
            ui::SetInt(Columns().power[record.displayRow], 0);
            ui::SetInt(Columns().led[record.displayRow], 0);
            DimLine(record.displayRow);
        }
    });
}

void RefreshEmptyTableHint() {
    const bool empty =
        std::all_of(OutputLine.begin(), OutputLine.end(),
                    [](const OutputLineRecord& record) { return record.address == 0; });
    const bool idle = core::Program.OpenComPortNum == 0 && core::Program.FileOpen == 0;
    const bool shown = empty && idle;
    if (ui::IsVisible(core::mainpanel::EmptyTableHint) != shown)
        ui::SetVisible(core::mainpanel::EmptyTableHint, shown);
}

void ResetDeviceTable() {
    OutputLine = {};
    keptZeros.clear();
    aside = LiveTableAside{};
}

void BindDeviceTableHelp() {
    ui::SetHelp("powerOnOffHead", "POWER ON",
                "On means the unit is connected to this program: its packets are being "
                "received.");
    ui::SetHelp("powerLedHead", "POWER STATUS",
                "Radio units only.\nGreen: 100 % to 10 % of the battery life left.\n"
                "Yellow: 10 % to 0 % left.\nRed: no battery life left.");
    ui::SetHelp("networkAddressHead", "NETWORK ADDRESS",
                "The unit's unique 64-bit network address, in hexadecimal.");
    ui::SetHelp("deviceNumberHead", "DEVICE NUMBER",
                "A number from 1 to 255 that you may assign to tell units apart.\n"
                "It is set on the Configuration page.");
    ui::SetHelp("sampleRateHead", "SAMPLE RATE",
                "Samples per second of the unit.\nA staff unit forms each sample from the "
                "readings of the sample period;\na sonic unit from the time of travel of its "
                "sound pulses.");
    ui::SetHelp("dateTimeHead", "DATE AND TIME",
                "Time of the first sample of a packet.\nIn the one-sample format a time message "
                "comes every 32 samples.\nFor wired units this is the PC's time, renewed every "
                "60 samples.");
    ui::SetHelp("offsetHead", "OFFSET TIME",
                "Milliseconds from the date and time to the last sample shown.");
    ui::SetHelp("outputDataHead", "DATA METERS",
                "The last sample.\nFor staffs: the water level above the bottom of the staff.\n"
                "For sonic sensors: a distance of 2.2 m reads 0 and 0.2 m reads 2.0 m.");
}

} // namespace undarix::live
