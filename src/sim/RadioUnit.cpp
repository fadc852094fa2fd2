#include "sim/RadioUnit.h"

#include "sim/TextUtil.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace undarix::sim {
namespace {

constexpr int kTimeRecordEvery = 32; // one-sample format: date and time every 32 samples

char BatteryDigit(Battery battery) {
    switch (battery) {
    case Battery::Good: return '0';
    case Battery::Low: return '2';
    default: return '3';
    }
}

char BatteryLetter(Battery battery) {
    switch (battery) {
    case Battery::Good: return 'G';
    case Battery::Low: return 'L';
    default: return 'B';
    }
}

long Millimetres(double meters) {
    return std::lround(meters * 1000.0);
}

void AppendInt16(std::string& out, long value) {
    const auto v = std::uint16_t(std::int16_t(std::clamp(value, -32768L, 32767L)));
    out.push_back(char(v & 0xFF));
    out.push_back(char(v >> 8));
}

void AppendFloat(std::string& out, double value) {
    const float f = float(value);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    for (int i = 0; i < 4; ++i)
        out.push_back(char((bits >> (8 * i)) & 0xFF));
}

// "yy-mm-ddThh:mm" or, with seconds, "yy-mm-ddThh:mm:ss"; the year counts from 2000.
bool ParseShortDate(std::string_view text, bool withSeconds, CivilTime& time) {
    const std::size_t need = withSeconds ? 17 : 14;
    if (text.size() < need || text[2] != '-' || text[5] != '-' || text[8] != 'T' ||
        text[11] != ':' || (withSeconds && text[14] != ':'))
        return false;
    const int year = TwoDigits(text, 0);
    CivilTime t;
    t.year = 2000 + year;
    t.month = TwoDigits(text, 3);
    t.day = TwoDigits(text, 6);
    t.hour = TwoDigits(text, 9);
    t.minute = TwoDigits(text, 12);
    t.second = withSeconds ? TwoDigits(text, 15) : 0;
    if (year < 0 || t.month < 0 || t.day < 0 || t.hour < 0 || t.minute < 0 || t.second < 0 ||
        !IsValidCivil(t))
        return false;
    time = t;
    return true;
}

} // namespace

RadioUnit::RadioUnit(RadioUnitConfig config, WaveSignal wave)
    : config(std::move(config)), wave(std::move(wave)) {}

double RadioUnit::ClockAt(double now, const SimContext& context) const {
    return context.CalendarAt(now) + config.clockOffset;
}

bool RadioUnit::TwelvePointCalibration() const {
    return IsSonic() || LeadingInt(config.firmware) >= 2;
}

double RadioUnit::BatteryVoltage() const {
    if (config.kind == 2) {
        switch (config.battery) {
        case Battery::Good: return 12.6;
        case Battery::Low: return 3.91;
        default: return 3.7;
        }
    }
    switch (config.battery) {
    case Battery::Good: return 3.05;
    case Battery::Low: return 2.7;
    default: return 2.55;
    }
}

std::string RadioUnit::Command(std::string_view line, double now, const SimContext& context) {
    if (!awake || line.size() < 2) return {};
    lastCommand = std::string(line);
    ++commandsHandled;
    if (context.IsMuted(line.substr(0, 2))) return {};
    const char family = line[0];
    const char key = line[1];
    const std::string_view argument =
        line.size() >= 3 && line[2] == ',' ? line.substr(3) : std::string_view();
    if (family == 'Z' && key == 'S') {
        TimeSync(line, now, context);
        return {};
    }
    if (family == 'B' && key == 'P') {
        Broadcast(line, now);
        return {};
    }
    std::string reply;
    switch (family) {
    case 'R': reply = ReadReply(key, now, context); break;
    case 'G':
    case 'T': reply = SetReadReply(family, key); break;
    case 'W': reply = WriteReply(key, argument, now, context); break;
    case 'F':
    case 'S': reply = SetWriteReply(family, key, argument, now); break;
    default: break;
    }
    if (reply.empty()) return {};
    return reply + "\r\n";
}

std::string RadioUnit::ReadReply(char key, double now, const SimContext& context) {
    const RadioUnitConfig& c = config;
    switch (key) {
    case 'X': return Printf("$RX,%i", c.deviceNumber);
    case 'H': return "$RH," + c.model;
    case 'K': return "$RK," + c.firmware;
    case 'D': return "$RD," + c.serial;
    case 'S': return Printf("$RS,%i", c.sampleRate);
    case 'L': return Printf("$RL,%i", c.burstLength);
    case 'I': return Printf("$RI,%i", c.burstInterval);
    case 'F': return Printf("$RF,%i", c.filter);
    case 'O': return Printf("$RO,%i", c.formatCode);
    case 'R': return Printf("$RR,%i", c.startEnabled);
    case 'Q':
        return Printf("$RQ,%04i-%02i-%02iT%02i:%02i", c.startTime.year, c.startTime.month,
                      c.startTime.day, c.startTime.hour, c.startTime.minute);
    case 'T':
    case 'Z': {
        const CivilTime t = ToCivil(ClockAt(now, context));
        return Printf("$R%c,%04i-%02i-%02iT%02i:%02i:%02i", key, t.year, t.month, t.day, t.hour,
                      t.minute, t.second);
    }
    case 'C': return Printf("$RC,%i", c.rtcCalibration);
    case 'P': return Printf("$RP,%i", c.power);
    case 'V': return Printf("$RV,%.2f", BatteryVoltage());
    case 'W': return Printf("$RW,%i", c.currentMode);
    case 'G': return IsSonic() ? Printf("$RG,%i", c.highTrip) : std::string();
    case 'U': return IsSonic() ? Printf("$RU,%i", c.lowTrip) : std::string();
    case 'Y': return IsSonic() ? Printf("$RY,%i", c.deadZone) : std::string();
    default: return {};
    }
}

std::string RadioUnit::SetReadReply(char family, char key) {
    const CalibrationSet& set = config.sets[family == 'G' ? 0 : 1];
    const bool table = TwelvePointCalibration();
    switch (key) {
    case 'T': return Printf("$%cT,%i", family, set.staffType);
    case 'S': return Printf("$%cS,%.3f", family, set.staffLength);
    case 'A': {
        if (!table) return {};
        // Twelve fields of eight characters and a comma: field k starts at 4 + 9k.
        std::string reply = Printf("$%cA,", family);
        for (int k = 0; k < 12; ++k) {
            const double value = k < set.pointCount ? set.points[std::size_t(k)] : 0.0;
            reply += Printf("%8.4f,", std::clamp(value, -99.9999, 999.9999));
        }
        return reply;
    }
    case 'G': return table ? std::string() : Printf("$%cG,%.3f", family, set.gain);
    case 'O': return table ? std::string() : Printf("$%cO,%.3f", family, set.offset);
    case 'L': return table ? std::string() : Printf("$%cL,%.3f", family, set.autoLowReading);
    case 'H': return table ? std::string() : Printf("$%cH,%.3f", family, set.autoHighReading);
    default: return {};
    }
}

std::string RadioUnit::WriteReply(char key, std::string_view argument, double now,
                                  const SimContext& context) {
    RadioUnitConfig& c = config;
    const long value = ParseInt(argument);
    switch (key) {
    case 'Z': return Printf("$WZ,%li", value);
    case 'X':
        if (value >= 1 && value <= 255) c.deviceNumber = int(value);
        return Printf("$WX,%i", c.deviceNumber);
    case char(0xAA): {
        std::string_view serial = argument.substr(0, std::min<std::size_t>(argument.size(), 24));
        c.serial = std::string(serial);
        return std::string("$W") + char(0xAA);
    }
    case 'S':
        if (value >= 1 && value <= 32 && value != c.sampleRate) {
            c.sampleRate = int(value);
            RestartSampling(now, context);
        }
        return Printf("$WS,%i", c.sampleRate);
    case 'L':
        if (value >= 0) c.burstLength = int(value);
        return Printf("$WL,%i", c.burstLength);
    case 'I':
        if (value >= 0) c.burstInterval = int(value);
        return Printf("$WI,%i", c.burstInterval);
    case 'F':
        if (value == 0 || value == 1) c.filter = int(value);
        return Printf("$WF,%i", c.filter);
    case 'O':
        if (FormatLetter(int(value)) != 0 && value != c.formatCode) {
            c.formatCode = int(value);
            RestartSampling(now, context);
        }
        return Printf("$WO,%i", c.formatCode);
    case 'R':
        if (value == 0 || value == 1) c.startEnabled = int(value);
        return Printf("$WR,%i", c.startEnabled);
    case 'Q': {
        const bool ok = ParseShortDate(argument, false, c.startTime);
        return Printf("$WQ,%i", ok ? 1 : 0);
    }
    case 'T': {
        CivilTime t;
        const bool ok = ParseShortDate(argument, true, t);
        if (ok) c.clockOffset = FromCivil(t) - context.CalendarAt(now);
        return Printf("$WT,%i", ok ? 1 : 0);
    }
    case 'C': c.rtcCalibration = int(value); return Printf("$WC,%i", c.rtcCalibration);
    case 'P':
        c.power = int(value);
        powerDownAt = value == 0 ? now + powerDownDelay : -1.0;
        return Printf("$WP,%i", c.power);
    case 'W':
        if (value >= 0) c.currentMode = int(value);
        return Printf("$WW,%i", c.currentMode);
    case 'G':
        if (!IsSonic()) return {};
        c.highTrip = int(value);
        return Printf("$WG,%i", c.highTrip);
    case 'U':
        if (!IsSonic()) return {};
        c.lowTrip = int(value);
        return Printf("$WU,%i", c.lowTrip);
    case 'Y':
        if (!IsSonic()) return {};
        c.deadZone = int(value);
        return Printf("$WY,%i", c.deadZone);
    default: return {};
    }
}

std::string RadioUnit::SetWriteReply(char family, char key, std::string_view argument, double now) {
    const std::size_t index = family == 'F' ? 0 : 1;
    CalibrationSet& set = config.sets[index];
    const bool table = TwelvePointCalibration();
    const double real = ParseReal(argument);
    const long value = ParseInt(argument);
    switch (key) {
    case 'T':
        if (value >= 1 && value <= 3) set.staffType = int(value);
        return Printf("$%cT,%i", family, set.staffType);
    case 'S':
        if (real >= 0.0) set.staffLength = real;
        return Printf("$%cS,%.3f", family, set.staffLength);
    case 'P':
    case 'N': {
        if (!table || !std::isfinite(real)) return {};
        auto begin = set.points.begin();
        auto end = begin + set.pointCount;
        auto same = std::find_if(begin, end, [&](double p) { return std::fabs(p - real) < 5e-5; });
        if (key == 'N') {
            if (same != end) {
                std::copy(same + 1, end, same);
                --set.pointCount;
            }
        } else if (same == end) {
            if (set.pointCount == 12) {
                // A full table gives up the point nearest the new one.
                auto nearest = std::min_element(begin, end, [&](double a, double b) {
                    return std::fabs(a - real) < std::fabs(b - real);
                });
                std::copy(nearest + 1, end, nearest);
                --set.pointCount;
                end = begin + set.pointCount;
            }
            *end = real;
            ++set.pointCount;
            std::sort(begin, begin + set.pointCount);
        }
        return Printf("$%c%c,%.4f", family, key, real);
    }
    case 'C':
        if (!table) return {};
        if (value == 1) set.pointCount = 0;
        return Printf("$%cC,%li", family, value);
    case 'F':
        if (value == 1) set = config.factorySets[index];
        return Printf("$%cF,%li", family, value);
    case '!':
        if (value == 1) config.factorySets[index] = set;
        return Printf("$%c!,%li", family, value);
    case 'G':
        if (table) return {};
        set.gain = real;
        return Printf("$%cG,%.3f", family, set.gain);
    case 'O':
        if (table) return {};
        set.offset = real;
        return Printf("$%cO,%.3f", family, set.offset);
    case 'X':
    case 'Y':
        if (table) return {};
        (key == 'X' ? set.autoLowReading : set.autoHighReading) = wave.LevelAt(now);
        return Printf("$%c%c,1", family, key);
    default: return {};
    }
}

void RadioUnit::TimeSync(std::string_view line, double now, const SimContext& context) {
    // "ZS,yy-mm-ddThh?mm?ss.nnn": the named second begins nnn/128 s after the message.
    if (line.size() < 24 || line[5] != '-' || line[8] != '-' || line[11] != 'T' || line[20] != '.')
        return;
    CivilTime t;
    const int year = TwoDigits(line, 3);
    t.year = 2000 + year;
    t.month = TwoDigits(line, 6);
    t.day = TwoDigits(line, 9);
    t.hour = TwoDigits(line, 12);
    t.minute = TwoDigits(line, 15);
    t.second = TwoDigits(line, 18);
    const int ticks = ThreeDigits(line, 21);
    if (year < 0 || ticks < 0 || t.month < 0 || t.day < 0 || t.hour < 0 || t.minute < 0 ||
        t.second < 0 || !IsValidCivil(t))
        return;
    config.clockOffset = FromCivil(t) - ticks / 128.0 - context.CalendarAt(now);
    ++syncCount;
    lastSyncTicks = ticks;
}

void RadioUnit::Broadcast(std::string_view line, double now) {
    if (line.size() < 4 || line[0] != 'B' || line[1] != 'P' || line[2] != ',') return;
    const long value = ParseInt(line.substr(3));
    if (value == 1) {
        // Power on: awake, continuous sampling, start time off.
        awake = true;
        powerDownAt = -1.0;
        config.burstLength = 0;
        config.startEnabled = 0;
        if (config.power == 0) config.power = 1;
    } else if (value == 2) {
        awake = false;
        powerDownAt = -1.0;
        samplingStarted_ = false;
    }
    (void)now;
}

int RadioUnit::SamplesPerPacket() const {
    switch (FormatLetter(config.formatCode)) {
    case 'I': return 64;
    case 'i': return 60;
    case 'C': return 1;
    default: return 32;
    }
}

bool RadioUnit::Sampling(double clock) const {
    if (config.startEnabled && clock < FromCivil(config.startTime)) return false;
    if (config.burstLength > 0 && config.burstInterval > config.burstLength) {
        const auto minute = (long long)std::floor(clock / 60.0);
        if (minute % config.burstInterval >= config.burstLength) return false;
    }
    return true;
}

void RadioUnit::RestartSampling(double now, const SimContext& context) {
    // The first sample falls on a whole second of the unit's clock.
    const double clock = ClockAt(now, context);
    const double fraction = clock - std::floor(clock);
    samplingStart_ = now + (fraction > 0.0 ? 1.0 - fraction : 0.0);
    sampleIndex_ = 0;
    samplingStarted_ = true;
}

double RadioUnit::NextEvent() const {
    double next = 1e300;
    if (powerDownAt >= 0.0) next = powerDownAt;
    if (awake && samplingStarted_) {
        const int rate = std::max(1, config.sampleRate);
        next =
            std::min(next, samplingStart_ + double(sampleIndex_ + SamplesPerPacket() - 1) / rate);
    } else if (awake) {
        next = 0.0;
    }
    return next;
}

void RadioUnit::Remember(std::string text, std::vector<double> levels) {
    history.push_back({std::move(text), std::move(levels)});
    while (history.size() > kHistory)
        history.pop_front();
    ++packetsSent;
}

void RadioUnit::Advance(double now, const SimContext& context, std::vector<std::string>& texts) {
    if (powerDownAt >= 0.0 && now >= powerDownAt) {
        awake = false;
        powerDownAt = -1.0;
    }
    if (!awake) {
        samplingStarted_ = false;
        return;
    }
    if (!samplingStarted_) RestartSampling(now, context);
    const char letter = FormatLetter(config.formatCode);
    const int count = SamplesPerPacket();
    const int rate = std::clamp(config.sampleRate, 1, 99);
    for (;;) {
        const double due = samplingStart_ + double(sampleIndex_ + count - 1) / rate;
        if (due > now) break;
        if (now - due > 2.0) {
            // Fallen behind (the machine was busy): skip to the packet now due.
            sampleIndex_ += (long long)((now - due) * rate) / count * count;
            continue;
        }
        const double first = samplingStart_ + double(sampleIndex_) / rate;
        const double clock = ClockAt(first, context);
        const long long index = sampleIndex_;
        sampleIndex_ += count;
        if (!Sampling(clock) || wave.InGap(clock)) continue;

        std::vector<double> levels(static_cast<std::size_t>(count));
        for (int k = 0; k < count; ++k)
            levels[std::size_t(k)] =
                wave.MeasuredAt(first + double(k) / rate, clock + double(k) / rate, 1.0 / rate);
        const CivilTime t = ToCivil(clock);
        const int device = config.deviceNumber;
        if (letter == 'C') {
            if (index % kTimeRecordEvery == 0) {
                texts.push_back(Printf("C%03i,D8,%04i-%02i-%02i", device, t.year, t.month, t.day));
                texts.push_back(
                    Printf("C%03i,D9,%02i:%02i:%02i", device, t.hour, t.minute, t.second));
                texts.push_back(Printf("C%03i,D7,%c", device, BatteryLetter(config.battery)));
                texts.push_back(Printf("C%03i,D4,%04.1f", device, config.airTemperature));
            }
            std::string text =
                Printf("C%03i,D1,S%02i,%05li\r\n", device, rate, Millimetres(levels[0]));
            texts.push_back(text);
            Remember(std::move(text), std::move(levels));
            continue;
        }
        std::string text = Printf("%c%03i,S%02i,B%c,%04i-%02i-%02iT%02i:%02i:%02i,D", letter,
                                  device, rate, BatteryDigit(config.battery), t.year, t.month,
                                  t.day, t.hour, t.minute, t.second);
        for (double level : levels) {
            switch (letter) {
            case 'A':
                text += Printf("%06li", std::clamp(Millimetres(level), -99999L, 999999L));
                break;
            case 'F': AppendFloat(text, level); break;
            default: AppendInt16(text, Millimetres(level)); break;
            }
        }
        texts.push_back(text);
        Remember(std::move(text), std::move(levels));
    }
}

} // namespace undarix::sim
