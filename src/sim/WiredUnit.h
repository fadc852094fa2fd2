#pragma once

// A wired Ravo Zerar (kinds 3, 4) or Deve Zuravi (kinds 5, 6) on its serial cable: the
// single-byte commands "s", "t", "i", "r", "g", "w", its configuration block, and the sample
// lines of four-digit counts it streams while running.

#include "core/codec/ConfigBlock.h"
#include "core/codec/WiredConfigRecord.h"
#include "sim/SimContext.h"
#include "sim/WaveSignal.h"

#include <deque>
#include <string>

namespace undarix::sim {

// A line or reply a wired unit or the board sent, with the level(s) it carried.
struct SentLine {
    std::string text;
    std::vector<double> levels; // meters
};

class WiredUnit {
public:
    int kind = 3;
    // The configuration the unit holds, in decoded form; the block it sends is built from it
    // (with its clock at that moment for the Deve Zuravis).
    core::WiredConfigRecord held;
    std::string serial = "RZ-402E-001234"; // 14 characters, never an "I"
    double airTemperature = 21.5;          // degrees Celsius
    double clockOffset = 0.0;              // unit clock minus the PC's, seconds
    double physicalStaffMm = 3000.0;       // used when the prescale selects no table row
    WaveSignal wave;
    bool running = true;

    long long linesSent = 0;
    long long blocksWritten = 0;  // blocks taken after "w"
    long long blocksRejected = 0; // blocks with a wrong checksum, ignored
    std::string lastBlockWritten; // the 132 characters as they arrived
    std::string commands;         // every command byte taken, in order (the latest 256)
    std::deque<SentLine> history;
    static constexpr std::size_t kHistory = 64;

    // Gain and offset limits when the faults ask for clamping.
    static constexpr int kGainMin = 3072;
    static constexpr int kGainMax = 5120;
    static constexpr int kOffsetMin = -1024;
    static constexpr int kOffsetMax = 1024;

    void Receive(const std::uint8_t* bytes, std::size_t count, double now,
                 const SimContext& context);
    void Advance(double now, const SimContext& context);
    [[nodiscard]] double NextEvent() const;

    // The 132-character block as the unit would send it now.
    [[nodiscard]] std::string Block(double now, const SimContext& context) const;
    // The staff length the counts are scaled to, millimetres.
    [[nodiscard]] double StaffLengthMm() const;
    [[nodiscard]] bool IsDeveZuravi() const { return kind == 5 || kind == 6; }

private:
    void Command(char byte, double now, const SimContext& context);
    void ApplyBlock(double now, const SimContext& context);
    void Send(std::string text, std::vector<double> levels, const SimContext& context);
    void RestartLines(double now);

    bool collecting_ = false; // a block follows "w"
    std::string block_;
    double lastByteAt_ = 0.0;
    double nextLine_ = 0.0;
    long long lineIndex_ = 0;
    double linesStart_ = 0.0;
};

// The defaults of a wired unit of a kind: version, staff, default calibration, rate, flags.
void SetUpWiredUnit(WiredUnit& unit, int kind, int rate, bool airTemperature);

} // namespace undarix::sim
