#include "sim/WiredUnit.h"

#include "core/codec/StaffTable.h"
#include "sim/Calendar.h"
#include "sim/TextUtil.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace undarix::sim {
namespace {

using namespace core::codec;

constexpr double kBlockByteTimeout = 2.0; // a block that stalls this long is abandoned
constexpr std::uint8_t kSerialOutput = 0x02;
constexpr std::uint8_t kSetClock = 0x08;
constexpr std::uint8_t kAirTemperature = 0x10;
constexpr std::uint8_t kSyncMode = 0x40;

void SetClockFields(core::WiredConfigRecord& record, const CivilTime& t) {
    record.ClockYear = t.year;
    record.ClockMonth = t.month;
    record.ClockDay = t.day;
    record.ClockHour = t.hour;
    record.ClockMinute = t.minute;
    record.ClockSecond = t.second;
}

} // namespace

void SetUpWiredUnit(WiredUnit& unit, int kind, int rate, bool airTemperature) {
    static const char* const kSerials[] = {"RZ-402E-001234", "RZ-408-0001234", "DZ-404E-001234",
                                           "DZ-410-0001234"};
    static const char* const kVersions[] = {"23.00", "24.00", "31.00", "32.00"};
    const int index = std::clamp(kind, 3, 6) - 3;
    unit.kind = index + 3;
    unit.serial = kSerials[index];
    unit.held = core::WiredConfigRecord{};
    std::strcpy(unit.held.Version, kVersions[index]);
    std::strcpy(unit.held.Identity, kSerials[index]);
    if (const auto prescale = PrescaleForStaffLength(unit.kind, float(unit.physicalStaffMm))) {
        unit.held.PrescaleRange = prescale->PrescaleRange;
        unit.held.Prescale = prescale->Prescale;
    }
    unit.held.StaffLength = float(unit.physicalStaffMm);
    const bool tableA = unit.kind == 3 || unit.kind == 5;
    unit.held.Gain = kDefaultGain;
    unit.held.Offset = tableA ? kDefaultOffsetTableA : kDefaultOffsetTableB;
    unit.held.SampleRate = std::uint8_t(std::clamp(rate, 0, 255));
    unit.held.ModeFlags = std::uint8_t(kSerialOutput | (airTemperature ? kAirTemperature : 0));
    unit.held.FileInterval = 1;
    unit.held.StartYear = 2000;
}

double WiredUnit::StaffLengthMm() const {
    const float length = StaffLengthForPrescale(kind, held.PrescaleRange, held.Prescale);
    return length > 0.0f ? double(length) : physicalStaffMm;
}

std::string WiredUnit::Block(double now, const SimContext& context) const {
    core::WiredConfigRecord record = held;
    if (IsDeveZuravi()) SetClockFields(record, ToCivil(context.CalendarAt(now) + clockOffset));
    char block[kBlockBufferSize] = {};
    const std::size_t n = BuildConfigBlock(record, kind, block);
    return std::string(block, n);
}

void WiredUnit::Send(std::string text, std::vector<double> levels, const SimContext& context) {
    history.push_back({text, std::move(levels)});
    while (history.size() > kHistory)
        history.pop_front();
    context.Send(std::move(text), false);
}

void WiredUnit::Receive(const std::uint8_t* bytes, std::size_t count, double now,
                        const SimContext& context) {
    for (std::size_t i = 0; i < count; ++i) {
        const char byte = char(bytes[i]);
        if (collecting_ && now - lastByteAt_ > kBlockByteTimeout) collecting_ = false;
        lastByteAt_ = now;
        if (collecting_) {
            block_.push_back(byte);
            if (block_.size() == kBlockLength) {
                collecting_ = false;
                ApplyBlock(now, context);
            }
            continue;
        }
        Command(byte, now, context);
    }
}

void WiredUnit::Command(char byte, double now, const SimContext& context) {
    if (byte != 's' && byte != 't' && byte != 'i' && byte != 'r' && byte != 'g' && byte != 'w')
        return; // anything else: ignored, as the unit does
    commands.push_back(byte);
    if (commands.size() > 256) commands.erase(0, commands.size() - 256);
    if (context.IsMuted(std::string(1, byte))) return;
    switch (byte) {
    case 's': running = false; break;
    case 't': Send(context.faults.badStop ? "BAD," : "STOK,", {}, context); break;
    case 'i':
        if (!running) Send("IOK," + serial.substr(0, 14) + ",", {}, context);
        break;
    case 'r':
        if (!running) Send("ROK," + Block(now, context), {}, context);
        break;
    case 'g':
        Send("GOK,", {}, context);
        if (!running) {
            running = true;
            RestartLines(now);
        }
        break;
    case 'w':
        collecting_ = true;
        block_.clear();
        break;
    default: break;
    }
}

void WiredUnit::ApplyBlock(double now, const SimContext& context) {
    lastBlockWritten = block_;
    const char* block = block_.c_str();
    if (!BlockChecksumMatches(block)) {
        ++blocksRejected;
        return;
    }
    core::WiredConfigRecord incoming = held;
    DecodeBlockPrescale(block, incoming);
    incoming.StaffLength = StaffLengthForPrescale(kind, incoming.PrescaleRange, incoming.Prescale);
    DecodeConfigBlock(block, kind, incoming);
    // The firmware version is the unit's own.
    std::memcpy(incoming.Version, held.Version, sizeof incoming.Version);
    if (context.faults.clampCalibration) {
        incoming.Gain = std::clamp(incoming.Gain, float(kGainMin), float(kGainMax));
        incoming.Offset = std::clamp(incoming.Offset, float(kOffsetMin), float(kOffsetMax));
    }
    if (IsDeveZuravi()) {
        if (incoming.ModeFlags & kSetClock) {
            CivilTime t;
            t.year = incoming.ClockYear;
            t.month = incoming.ClockMonth;
            t.day = incoming.ClockDay;
            t.hour = incoming.ClockHour;
            t.minute = incoming.ClockMinute;
            t.second = incoming.ClockSecond;
            if (IsValidCivil(t)) clockOffset = FromCivil(t) - context.CalendarAt(now);
        }
        // The set-clock request is done with once taken.
        incoming.ModeFlags = std::uint8_t(incoming.ModeFlags & ~kSetClock);
    }
    const bool rateChanged = incoming.SampleRate != held.SampleRate;
    held = incoming;
    ++blocksWritten;
    if (rateChanged && running) RestartLines(now);
}

void WiredUnit::RestartLines(double now) {
    linesStart_ = now;
    lineIndex_ = 0;
    nextLine_ = now;
}

double WiredUnit::NextEvent() const {
    if (!running || held.SampleRate == 0) return 1e300;
    return nextLine_;
}

void WiredUnit::Advance(double now, const SimContext& context) {
    if (!running || held.SampleRate == 0) return;
    const double rate = held.SampleRate;
    if (now - nextLine_ > 2.0) {
        // Fallen behind: carry on from now.
        RestartLines(now);
    }
    while (nextLine_ <= now) {
        const double t = nextLine_;
        ++lineIndex_;
        nextLine_ = linesStart_ + double(lineIndex_) / rate;
        // Serial output off or sync mode: the unit measures but sends nothing.
        if (!(held.ModeFlags & kSerialOutput) || (held.ModeFlags & kSyncMode)) continue;
        const double clock = context.CalendarAt(t);
        if (wave.InGap(clock)) continue;
        const double level = wave.MeasuredAt(t, clock, 1.0 / rate);
        const long count =
            std::clamp(std::lround(level * 1000.0 / StaffLengthMm() * 4095.0), 0L, 4095L);
        std::string line = Printf("%04li", count);
        if (held.ModeFlags & kAirTemperature)
            line += Printf(",%04li", std::clamp(std::lround(airTemperature / 0.0625), 0L, 9999L));
        line += "\r\n";
        ++linesSent;
        Send(std::move(line), {level}, context);
    }
}

} // namespace undarix::sim
