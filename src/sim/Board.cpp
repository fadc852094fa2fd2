#include "sim/Board.h"

#include "sim/Calendar.h"
#include "sim/TextUtil.h"

#include <algorithm>
#include <cmath>

namespace undarix::sim {
namespace {

constexpr double kPendingTimeout = 3.0; // an unfinished setting text is dropped after this
constexpr double kKeepAliveEvery = 1.0; // "*" while stopped
constexpr std::size_t kTextLimit = 64;

const char* TimeTagText(int tag) {
    switch (tag) {
    case 1: return "min";
    case 2: return "hour";
    case 3: return "day";
    default: return "none";
    }
}

long long TagIndex(double clock, int tag) {
    const double unit = tag == 1 ? 60.0 : tag == 2 ? 3600.0 : 86400.0;
    return (long long)std::floor(clock / unit);
}

} // namespace

std::vector<std::string> Board::Report() const {
    return {
        "Vazavevezeze TALQ-312-412",
        "Serial Number: " + serial.substr(0, 18),
        "Code Rev: " + version.substr(0, 5),
        Printf("Fsample Frequency: %02i", std::clamp(sampleRate, 0, 99)),
        std::string("Sample Mode: ") + (runMode == 1 ? "command" : "freerun"),
        std::string("Time Tag: ") + TimeTagText(timeTag),
        Printf("Staffs: %zu", staffs.size()),
        "System status: ready",
    };
}

std::string Board::ClockLine(double now, const SimContext& context) const {
    const CivilTime t = ToCivil(context.CalendarAt(now) + clockOffset);
    return Printf("%02i/%02i/%02i %02i:%02i:%02i", t.month, t.day, t.year % 100, t.hour, t.minute,
                  t.second);
}

void Board::Send(std::string line, std::vector<double> levels, const SimContext& context) {
    history.push_back({line, std::move(levels)});
    while (history.size() > kHistory)
        history.pop_front();
    context.Send(std::move(line), false);
}

void Board::RestartLines(double now) {
    linesStart_ = now;
    lineIndex_ = 0;
    nextLine_ = now;
}

void Board::Receive(const std::uint8_t* bytes, std::size_t count, double now,
                    const SimContext& context) {
    for (std::size_t i = 0; i < count; ++i) {
        const char byte = char(bytes[i]);
        if (pending_ != Pending::None && now - pendingSince_ > kPendingTimeout) {
            pending_ = Pending::None;
            text_.clear();
        }
        switch (pending_) {
        case Pending::AfterS:
            if (byte == 't') {
                pending_ = Pending::None;
                ++reportsSent;
                for (const std::string& line : Report())
                    Send(line + "\r\n", {}, context);
                nextKeepAlive_ = now + kKeepAliveEvery;
                continue;
            }
            if (byte >= '0' && byte <= '9') {
                pending_ = Pending::Clock;
                text_.assign(1, byte);
                continue;
            }
            if (byte == '\r' || byte == '\n') continue;
            pending_ = Pending::None;
            break; // a command letter after all
        case Pending::Clock:
        case Pending::Rate:
        case Pending::Mode:
        case Pending::Tag:
            if (byte == '\n' || byte == '\r') {
                if (!text_.empty()) Finish(now, context);
                continue;
            }
            if (text_.size() < kTextLimit) text_.push_back(byte);
            continue;
        case Pending::None: break;
        }
        Command(byte, now, context);
    }
}

void Board::Command(char byte, double now, const SimContext& context) {
    if (byte != 's' && byte != 'r' && byte != 'g' && byte != 'f' && byte != 'm' && byte != 't')
        return; // CR and LF wake the board; anything else is ignored
    commands.push_back(byte);
    if (commands.size() > 256) commands.erase(0, commands.size() - 256);
    if (context.IsMuted(std::string(1, byte))) return;
    pendingSince_ = now;
    text_.clear();
    switch (byte) {
    case 's':
        streaming = false;
        nextKeepAlive_ = now + kKeepAliveEvery;
        pending_ = Pending::AfterS;
        break;
    case 'r': Send(ClockLine(now, context) + "\r\n", {}, context); break;
    case 'g':
        if (!streaming) {
            streaming = true;
            RestartLines(now);
        }
        break;
    case 'f': pending_ = Pending::Rate; break;
    case 'm': pending_ = Pending::Mode; break;
    case 't': pending_ = Pending::Tag; break;
    default: break;
    }
}

void Board::Finish(double now, const SimContext& context) {
    const Pending what = pending_;
    pending_ = Pending::None;
    const std::string text = text_;
    text_.clear();
    switch (what) {
    case Pending::Clock: {
        // "MM-DD-YY hh:mm:ss"
        if (text.size() < 17) return;
        CivilTime t;
        t.month = TwoDigits(text, 0);
        t.day = TwoDigits(text, 3);
        const int year = TwoDigits(text, 6);
        t.year = 2000 + year;
        t.hour = TwoDigits(text, 9);
        t.minute = TwoDigits(text, 12);
        t.second = TwoDigits(text, 15);
        if (year < 0 || t.month < 0 || t.day < 0 || t.hour < 0 || t.minute < 0 || t.second < 0 ||
            !IsValidCivil(t))
            return;
        clockOffset = FromCivil(t) - context.CalendarAt(now);
        ++clockSets;
        return;
    }
    case Pending::Rate: {
        const long rate = ParseInt(text);
        if (rate >= 1 && rate <= 99) {
            sampleRate = int(rate);
            if (streaming) RestartLines(now);
        }
        return;
    }
    case Pending::Mode:
        if (text == "command") runMode = 1;
        if (text == "freerun") runMode = 0;
        return;
    case Pending::Tag:
        if (text == "none") timeTag = 0;
        if (text == "min") timeTag = 1;
        if (text == "hour") timeTag = 2;
        if (text == "day") timeTag = 3;
        return;
    default: return;
    }
}

double Board::NextEvent() const {
    double next = 1e300;
    if (pending_ != Pending::None) next = pendingSince_ + kPendingTimeout;
    if (!streaming) return std::min(next, nextKeepAlive_);
    if (runMode == 0 && sampleRate > 0) next = std::min(next, nextLine_);
    return next;
}

void Board::Advance(double now, const SimContext& context) {
    if (pending_ != Pending::None && now - pendingSince_ > kPendingTimeout) {
        pending_ = Pending::None;
        text_.clear();
    }
    if (!streaming) {
        if (now >= nextKeepAlive_) {
            if (pending_ == Pending::None) Send("*\r\n", {}, context);
            nextKeepAlive_ = now + kKeepAliveEvery;
        }
        return;
    }
    // Command mode: the board samples only when asked through the port.
    if (runMode == 1 || sampleRate <= 0) return;
    if (now - nextLine_ > 2.0) RestartLines(now);
    while (nextLine_ <= now) {
        const double t = nextLine_;
        ++lineIndex_;
        nextLine_ = linesStart_ + double(lineIndex_) / sampleRate;
        if (timeTag != 0) {
            const double clock = context.CalendarAt(t) + clockOffset;
            const long long tag = TagIndex(clock, timeTag);
            if (lastTag_ >= 0 && tag != lastTag_) {
                const CivilTime c = ToCivil(clock);
                Send(Printf("# %02i/%02i/%02i %02i:%02i:%02i\r\n", c.month, c.day, c.year % 100,
                            c.hour, c.minute, c.second),
                     {}, context);
            }
            lastTag_ = tag;
        }
        const double clock = context.CalendarAt(t) + clockOffset;
        if (!staffs.empty() && staffs[0].wave.InGap(clock)) continue;
        std::string line;
        std::vector<double> levels;
        for (std::size_t s = 0; s < staffs.size(); ++s) {
            const double level = staffs[s].wave.MeasuredAt(t, clock, 1.0 / sampleRate);
            const long count =
                std::clamp(std::lround(level * 1000.0 / std::max(staffs[s].lengthMm, 1.0) * 4095.0),
                           0L, 4095L);
            if (s > 0) line += ',';
            line += Printf("%04li", count);
            levels.push_back(level);
        }
        line += "\r\n";
        ++linesSent;
        Send(std::move(line), std::move(levels), context);
    }
}

} // namespace undarix::sim
