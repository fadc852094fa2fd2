#pragma once

// The table of the units the program hears: at most eight records, one per 64-bit network
// address, shown on the main panel as eight rows ordered by address.

#include <array>
#include <cstdint>
#include <functional>

namespace undarix::live {

struct OutputLineRecord {
    std::uint8_t updated = 0;  // set by every sample packet: power on, battery LED lit
    std::uint64_t address = 0; // 0 = slot free
    char timeStamp[20] = {};   // "YYYY-MM-DDThh:mm:ss"
    char packetKind = 0;       // first character of the last packet: C $ A F I i
    int deviceNumber = 0; // as the unit sends it, any width
    std::uint8_t recordType = 0; // 1, 4, 8, 9 for single values, 0 after a sample block
    std::uint8_t sampleRate = 0; // Hz, 1 to 32
    int sampleCount = 0;         // single values since the last time record, or block size
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int offsetTime = 0;     // milliseconds from the time stamp to the last sample shown
    char batteryStatus = 0; // '0' good, '2' low, '3' bad
    float lastValue = 0.0f; // meters, after the zero offset
    float zeroOffset = 0.0f;
    int zeroMode = 0; // 1 = values relative to zeroOffset
    std::uint8_t displayRow = 0;
    // Presence-timer ticks since the last packet. Wider than a byte: the limit of a silent
    // 1 Hz block unit is 266 ticks.
    int silenceTicks = 0;
    float airTemperature = 0.0f;
};

inline constexpr int kTableSlots = 8;
inline constexpr int kNoSlot = -1;

extern std::array<OutputLineRecord, kTableSlots> OutputLine;

// The slot of the record for this address; a new address takes the first free slot with a
// clean record (the table is re-sorted and redrawn). kNoSlot when all eight slots hold other
// addresses.
[[nodiscard]] int GetOutputLineLoc(std::uint64_t address);
// Each record's display row: the number of occupied records with a smaller address.
void SortAllDisplayNum();
// Draws one record into its row after a packet.
void WrLine2Display(int slot);
// Redraws every unit's row in full (after the rows have moved); counts no sample.
void DisplayAllOutputLines();
// Resets the nine cells of a row and dims it.
void DefaultOutputLine(int row);
void ClearAllDisplayLines();
void DimLine(int row);
void UnDimLine(int row);
// Frees every record (address and device number cleared) and clears the rows.
void ClearAllOutputLines();
// The same, when the connection to a wired unit or the board was lost or is being restarted:
// the unit or staff heard again gets back its zero mode and zero offset, so its values do not
// silently turn absolute. The next ClearAllOutputLines forgets them.
void ClearAllOutputLinesKeepingZero();

// A freed record's zero mode and offset, given back when a unit of its address takes a slot
// again (the presence timer let it go; its connection was restarted).
void KeepZeroOf(const OutputLineRecord& record);

// While a file plays the table shows the file's units, and the units on the port go on being
// logged in a table of their own: the source turning to the file sets the live table aside
// (and shows an empty one), turning back brings it back with every unit's zero reference.
void SetLiveTableAside();
void BringBackLiveTable();
// Runs `serve` on the live table: swapped in, with nothing drawn, while a file plays; as is
// otherwise.
void WithLiveTable(const std::function<void()>& serve);
// True from SetLiveTableAside to BringBackLiveTable.
[[nodiscard]] bool LiveTableSetAside();
// True while `WithLiveTable` has the set-aside table in: nothing may be drawn or plotted.
[[nodiscard]] bool LiveTableOutOfSight();

// The unit port was lost: every unit's row shows it as not heard (power off, dimmed) until
// its next packet.
void ShowUnitsNotHeard();

// In place of an empty table with no port and no file open: how to get units into it.
void RefreshEmptyTableHint();

// Back to the values held before start-up.
void ResetDeviceTable();
// Binds the help of the column heads.
void BindDeviceTableHelp();

} // namespace undarix::live
