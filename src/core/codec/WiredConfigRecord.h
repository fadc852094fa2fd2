#pragma once

#include <cstdint>

namespace undarix::core {

// The decoded configuration of a wired Ravo Zerar or Deve Zuravi (`WSAll`), or what the
// Vazavevezeze reports of itself. All zero at program start.
struct WiredConfigRecord {
    char Version[6] = {};   // pair 0 and ".00"; the board: five characters of its version line
    char Identity[19] = {}; // serial number: 14 characters from "IOK", 18 from the board
    std::uint8_t Prescale = 0;
    std::uint8_t PrescaleRange = 0;
    std::uint8_t SampleRate = 0; // Hz
    float Gain = 0.0f;           // nominal 4096
    float Offset = 0.0f;
    float StaffLength = 0.0f; // millimetres, from the prescale; 0 when no table row matches
    std::uint8_t AlarmFlags = 0;
    float Alarm1On = 0.0f; // millimetres from the bottom of the staff
    float Alarm1Off = 0.0f;
    float Alarm2On = 0.0f;
    float Alarm2Off = 0.0f;
    std::int32_t BurstLength = 0;
    std::int32_t BurstInterval = 0;
    std::int32_t FileInterval = 0;
    std::int32_t ClockSecond = 0;
    std::int32_t ClockMinute = 0;
    std::int32_t ClockHour = 0;
    std::int32_t ClockSpare = 0;
    std::int32_t ClockDay = 0;
    std::int32_t ClockMonth = 0;
    std::int32_t ClockYear = 0; // in full
    std::int32_t StartMinute = 0;
    std::int32_t StartHour = 0;
    std::int32_t StartDay = 0;
    std::int32_t StartMonth = 0;
    std::int32_t StartYear = 0;   // in full
    std::int32_t SyncRunMode = 0; // board: 1 = command (sync) mode, 0 = free run
    std::int32_t SyncTimeTag = 0; // board: 0 none, 1 minute, 2 hour, 3 day
    std::int32_t LoggerSpare = 0;
    std::uint8_t ModeFlags = 0;
    // The 12-bit alarm counts of the last block read (Ravo Zerar kind 3). A level that still
    // reads as these counts goes back as they are, so an unrelated write does not move it.
    std::uint16_t Alarm1OnCounts = 0;
    std::uint16_t Alarm1OffCounts = 0;
    std::uint16_t Alarm2OnCounts = 0;
    std::uint16_t Alarm2OffCounts = 0;
};

} // namespace undarix::core
