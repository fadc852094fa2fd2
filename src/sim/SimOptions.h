#pragma once

// What a simulation is made of: the kind of unit, how many, their data format and rate, the
// sea they measure, and the faults to inject. Everything has a default, so an empty set of
// options gives one radio unit of kind 0.

#include <cstdint>
#include <string>
#include <vector>

namespace undarix::sim {

// Radio data-format codes as the units store them ("WO"/"RO"). Code 4 is the one-sample
// ASCII format; the others are this simulator's numbering.
inline constexpr int kFormatAscii32 = 1;   // "A"
inline constexpr int kFormatFloat32 = 2;   // "F"
inline constexpr int kFormatInteger64 = 3; // "I"
inline constexpr int kFormatAscii1 = 4;    // "C"
inline constexpr int kFormatInteger60 = 5; // "i"

// The format letter of a code, or 0 for an unknown code; and back (0 for an unknown letter).
[[nodiscard]] char FormatLetter(int code);
[[nodiscard]] int FormatCode(char letter);

struct WaveOptions {
    double hm0 = 1.0;        // significant wave height, meters (4 x standard deviation)
    double tp = 8.0;         // peak period, seconds
    double gamma = 3.3;      // JONSWAP peak enhancement
    double meanLevel = -1.0; // meters above the bottom of the staff; < 0: the kind's default
    bool tide = false;
    double tideAmplitude = 0.5;  // meters
    double tidePeriod = 44712.0; // seconds (12.42 h)

    // A storm: Hm0 and Tp go in a straight line from hm0 and tp at the start of the
    // simulation to these over stormSeconds, then stay. 0 seconds: no storm.
    double stormHm0 = 0.0;
    double stormTp = 0.0;
    double stormSeconds = 0.0;

    // Faults of the sensor, on the unit's clock (calendar seconds). 0 turns each off.
    double spikeEvery = 0.0;  // the first sample at or after each multiple jumps by spikeHeight
    double spikeHeight = 3.0; // meters
    double flatEvery = 0.0;   // from each multiple the level holds for flatFor seconds
    double flatFor = 5.0;
    double gapEvery = 0.0; // packets whose first sample falls within gapFor seconds from each
    double gapFor = 10.0;  // multiple are never sent
};

struct Faults {
    double dropFraction = 0.0;    // of the frames or lines sent, never sent
    double corruptFraction = 0.0; // sent with one byte damaged
    double delayFraction = 0.0;   // held back by delayMs
    int delayMs = 500;
    // Exactly the next so many frames or lines sent are left out or damaged (then the
    // counts are back at 0), for tests that want one known fault.
    int dropNext = 0;
    int corruptNext = 0;
    bool silent = false; // nothing at all is sent
    // Commands the units (or the adapter) do not answer: two-letter unit or AT commands
    // ("WS", "ID"), or one letter for wired units and the board ("r").
    std::vector<std::string> mutedCommands;
    bool badStop = false;          // wired units answer the stop request with "BAD,"
    bool clampCalibration = false; // wired units clamp the gain and offset they are sent
};

struct SimOptions {
    int kind = 0;  // 0..2 radio, 3..6 wired, 7 the board
    int units = 1; // radio units (up to 8 by default; more to fill a table)
    // Data format letters, given to the units in turn ("A", "F", "I", "i", "C").
    std::string formats = "A";
    int rate = 8; // Hz; radio units and wired units; the board's default rate
    WaveOptions wave;
    std::uint64_t seed = 1;
    std::string firmware;          // radio firmware version text; empty: "2.10"
    int staffs = 8;                // staffs on the board, 6 or 8
    bool asleep = false;           // radio units wait for a broadcast power-on
    bool airTemperature = false;   // wired units send the air-temperature field
    double powerDownDelay = 120.0; // seconds from a power-down command to silence
    std::string linkPath;          // also make a symbolic link to the slave here
    Faults faults;
};

} // namespace undarix::sim
