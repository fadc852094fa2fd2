#pragma once

// One radio unit (Ravo Zerar XB or a Rezav Ivir Erazud): its configuration store, the answers
// it gives to the two-letter command language, and the sample packets it sends at its rate.

#include "sim/Calendar.h"
#include "sim/SimContext.h"
#include "sim/WaveSignal.h"

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace undarix::sim {

enum class Battery { Good, Low, Bad };

// Staff type, staff length and calibration of one sensor current mode.
struct CalibrationSet {
    int staffType = 1;               // 1 rod, 2 cable, 3 sonic
    double staffLength = 3.0;        // meters, for reference
    std::array<double, 12> points{}; // heights in meters, ascending
    int pointCount = 0;
    double gain = 1.0; // units before version 2
    double offset = 0.0;
    double autoLowReading = 0.0; // readings taken by the automatic calibration
    double autoHighReading = 0.0;
};

struct RadioUnitConfig {
    int kind = 0; // 0, 1 or 2
    std::uint64_t address = 0;
    std::uint16_t networkAddress = 0xFFFE;
    int deviceNumber = 1;
    std::string model;
    std::string firmware = "2.10";
    std::string serial;
    int sampleRate = 8;    // Hz
    int burstLength = 0;   // minutes, 0 = continuous
    int burstInterval = 0; // minutes
    int filter = 0;
    int formatCode = kFormatAscii32;
    int startEnabled = 0;
    CivilTime startTime{2000, 1, 1, 0, 0, 0};
    int rtcCalibration = 0;
    int power = 1; // 0 powers the unit down
    int currentMode = 1;
    int highTrip = 2500;                         // millivolts, sonic kinds
    int lowTrip = 500;                           // millivolts
    int deadZone = 200;                          // millimeters
    std::array<CalibrationSet, 2> sets{};        // current mode 1 (F/G), the other (S/T)
    std::array<CalibrationSet, 2> factorySets{}; // restored by "FF"/"SF"
    Battery battery = Battery::Good;
    double airTemperature = 18.5; // degrees Celsius
    std::uint64_t panId = 0x3332;
    std::uint64_t savedPanId = 0x3332; // kept through power cycles ("WR")
    double clockOffset = 0.0;          // unit clock minus the PC's, seconds
};

// A packet the unit sent, with the levels it measured (meters, before any rounding).
struct SentPacket {
    std::string text;
    std::vector<double> levels;
};

class RadioUnit {
public:
    RadioUnit() = default;
    RadioUnit(RadioUnitConfig config, WaveSignal wave);

    RadioUnitConfig config;
    WaveSignal wave;
    bool awake = true;
    double powerDownAt = -1.0;     // simulation time of a pending power-down, < 0 for none
    double powerDownDelay = 120.0; // seconds from "WP,0" to silence

    // What happened, for tests and the demo.
    int commandsHandled = 0;
    std::string lastCommand;
    int syncCount = 0;      // time-sync messages taken
    int lastSyncTicks = -1; // their n/128 s field
    long long packetsSent = 0;
    std::deque<SentPacket> history; // the latest packets, newest last

    // A command line from the program (up to its CR LF). Returns the reply line with its CR
    // LF, or an empty text when the unit gives none (unknown command, time sync, asleep).
    std::string Command(std::string_view line, double now, const SimContext& context);
    // A broadcast ("BP,n").
    void Broadcast(std::string_view line, double now);

    // Appends the texts of the packets due up to `now`.
    void Advance(double now, const SimContext& context, std::vector<std::string>& texts);
    [[nodiscard]] double NextEvent() const;

    // The unit's clock (calendar seconds) at simulation time `now`.
    [[nodiscard]] double ClockAt(double now, const SimContext& context) const;
    [[nodiscard]] bool TwelvePointCalibration() const;
    [[nodiscard]] bool IsSonic() const { return config.kind == 1 || config.kind == 2; }
    [[nodiscard]] double BatteryVoltage() const;

    static constexpr std::size_t kHistory = 32;

private:
    std::string ReadReply(char key, double now, const SimContext& context);
    std::string SetReadReply(char family, char key);
    std::string WriteReply(char key, std::string_view argument, double now,
                           const SimContext& context);
    std::string SetWriteReply(char family, char key, std::string_view argument, double now);
    void TimeSync(std::string_view line, double now, const SimContext& context);
    void RestartSampling(double now, const SimContext& context);
    [[nodiscard]] int SamplesPerPacket() const;
    [[nodiscard]] bool Sampling(double clock) const;
    void Remember(std::string text, std::vector<double> levels);

    long long sampleIndex_ = 0;
    double samplingStart_ = 0.0;
    bool samplingStarted_ = false;
};

} // namespace undarix::sim
