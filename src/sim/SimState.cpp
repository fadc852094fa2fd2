#include "sim/Calendar.h"
#include "sim/Simulator.h"
#include "sim/TextUtil.h"

#include <algorithm>
#include <random>
#include <set>

namespace undarix::sim {
namespace {

const char* ModelFor(int kind) {
    switch (kind) {
    case 1: return "TALQ-310-435-XB";
    case 2: return "TALQ-310-436-RV";
    default: return "TALQ-310-401-XB";
    }
}

// Calibration points the units leave the factory with, and the set of the other current mode.
void SetUpCalibration(RadioUnitConfig& config) {
    CalibrationSet first;
    first.staffType = config.kind == 0 ? 1 : 3;
    first.staffLength = 3.0;
    for (double height : {0.25, 0.5, 1.0, 1.5, 2.0, 2.5})
        first.points[std::size_t(first.pointCount++)] = height;
    first.gain = 1.0;
    first.offset = 0.0;
    CalibrationSet second;
    second.staffType = config.kind == 0 ? 2 : 3;
    second.staffLength = 5.0;
    for (double height : {1.0, 2.0, 3.0, 4.0})
        second.points[std::size_t(second.pointCount++)] = height;
    second.gain = 1.02;
    second.offset = -0.015;
    config.sets = {first, second};
    config.factorySets = config.sets;
}

double MeanLevelFor(const WaveOptions& wave, double fallback) {
    return wave.meanLevel >= 0.0 ? wave.meanLevel : fallback;
}

} // namespace

void BuildState(SimState& state, const SimOptions& options) {
    state.options = options;
    state.options.kind = std::clamp(options.kind, 0, 7);
    state.context.faults = options.faults;
    state.context.random.seed(options.seed);
    state.radio = RadioNetwork{};
    state.wired = WiredUnit{};
    state.board = Board{};
    std::mt19937_64 random(options.seed ^ 0x5DEECE66Dull);
    const int kind = state.options.kind;

    if (kind <= 2) {
        const int count = std::clamp(options.units, 1, 64);
        std::uniform_int_distribution<std::uint64_t> low(0x100000, 0xFFFFFF);
        std::uniform_real_distribution<double> drift(-3.0, 3.0);
        std::set<std::uint64_t> used;
        const std::string formats = options.formats.empty() ? std::string("A") : options.formats;
        for (int i = 0; i < count; ++i) {
            RadioUnitConfig config;
            config.kind = kind;
            do {
                config.address = 0x0013A20040000000ull | low(random);
            } while (!used.insert(config.address).second);
            config.networkAddress = std::uint16_t(0x1000 + (low(random) & 0x7FFF));
            config.deviceNumber = i % 255 + 1;
            config.model = ModelFor(kind);
            config.firmware = options.firmware.empty() ? "2.10" : options.firmware;
            config.serial = Printf("XB%02i-%06i", kind, 240101 + i);
            config.sampleRate = std::clamp(options.rate, 1, 32);
            const int code = FormatCode(formats[std::size_t(i) % formats.size()]);
            config.formatCode = code != 0 ? code : kFormatAscii32;
            config.airTemperature = 18.5 + 0.5 * i;
            config.panId = state.radio.adapter.panId;
            config.savedPanId = config.panId;
            config.clockOffset = drift(random);
            SetUpCalibration(config);
            const double mean = MeanLevelFor(options.wave, (kind == 0 ? 1.5 : 2.0) + 0.1 * i);
            RadioUnit unit(config,
                           WaveSignal(options.wave, mean, options.seed * 1000 + std::uint64_t(i)));
            unit.awake = !options.asleep;
            unit.powerDownDelay = options.powerDownDelay;
            state.radio.units.push_back(std::move(unit));
        }
    } else if (kind <= 6) {
        WiredUnit& unit = state.wired;
        SetUpWiredUnit(unit, kind, std::clamp(options.rate, 0, 255), options.airTemperature);
        unit.wave =
            WaveSignal(options.wave, MeanLevelFor(options.wave, unit.physicalStaffMm / 2000.0),
                       options.seed * 1000);
    } else {
        Board& board = state.board;
        board.sampleRate = std::clamp(options.rate, 1, 99);
        const int staffs = options.staffs == 6 ? 6 : 8;
        for (int s = 0; s < staffs; ++s) {
            BoardStaff staff;
            const double mean = MeanLevelFor(options.wave, staff.lengthMm / 2000.0 + 0.05 * s);
            staff.wave = WaveSignal(options.wave, mean, options.seed * 1000 + std::uint64_t(s));
            board.staffs.push_back(std::move(staff));
        }
    }
}

void SimState::Receive(const std::uint8_t* bytes, std::size_t count, double now) {
    stats.bytesReceived += (long long)count;
    if (IsRadio())
        radio.Receive(bytes, count, now, context);
    else if (IsWired())
        wired.Receive(bytes, count, now, context);
    else
        board.Receive(bytes, count, now, context);
}

void SimState::Advance(double now) {
    if (IsRadio())
        radio.Advance(now, context);
    else if (IsWired())
        wired.Advance(now, context);
    else
        board.Advance(now, context);
}

double SimState::NextEvent() const {
    if (IsRadio()) return radio.NextEvent();
    if (IsWired()) return wired.NextEvent();
    return board.NextEvent();
}

} // namespace undarix::sim
