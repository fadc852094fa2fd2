#include "sim/Simulator.h"

#include "link/codec/ApiFrame.h"
#include "sim/Calendar.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace undarix::sim {
namespace {

// A real port's input queue holds 4096 bytes; when the program leaves that much unread (it
// has not opened the port yet, or is busy) the oldest bytes are lost, as they would be.
constexpr int kUnreadLimit = 4000;
// What the simulator itself holds back when the pseudo-terminal is full.
constexpr std::size_t kOutputLimit = 256 * 1024;
constexpr int kLongestWaitMs = 250;

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

Simulator::Simulator(const SimOptions& options) : epoch_(SteadySeconds()) {
    BuildState(state_, options);
    state_.context.calendarBase = LocalCalendarNow();
    state_.context.send = [this](std::string bytes, bool frame) { Emit(std::move(bytes), frame); };
}

Simulator::~Simulator() {
    Stop();
}

double Simulator::Now() const {
    return SteadySeconds() - epoch_;
}

bool Simulator::Start() {
    if (running_) return true;
    error_.clear();
    if (pipe2(wakePipe_, O_NONBLOCK | O_CLOEXEC) != 0) {
        error_ = "cannot make the wake-up pipe";
        return false;
    }
    if (!pty_.Open(state_.options.linkPath)) {
        error_ = pty_.Error();
        close(wakePipe_[0]);
        close(wakePipe_[1]);
        wakePipe_[0] = wakePipe_[1] = -1;
        return false;
    }
    stopping_ = false;
    running_ = true;
    thread_ = std::thread(&Simulator::Run, this);
    return true;
}

void Simulator::Stop() {
    if (!running_) return;
    stopping_ = true;
    Wake();
    if (thread_.joinable()) thread_.join();
    pty_.Close();
    close(wakePipe_[0]);
    close(wakePipe_[1]);
    wakePipe_[0] = wakePipe_[1] = -1;
    running_ = false;
    changed_.notify_all();
}

void Simulator::Wake() {
    if (wakePipe_[1] >= 0) {
        const char byte = 1;
        (void)!write(wakePipe_[1], &byte, 1);
    }
}

void Simulator::SetFaults(const Faults& faults) {
    Inspect([&](SimState& state) { state.context.faults = faults; });
}

void Simulator::CorruptNext(int count) {
    Inspect([&](SimState& state) { state.context.faults.corruptNext = count; });
}

void Simulator::DropNext(int count) {
    Inspect([&](SimState& state) { state.context.faults.dropNext = count; });
}

Faults Simulator::GetFaults() const {
    std::lock_guard lock(mutex_);
    return state_.context.faults;
}

void Simulator::SetSendObserver(SendObserver observer) {
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

SimStats Simulator::Stats() const {
    std::lock_guard lock(mutex_);
    return state_.stats;
}

bool Simulator::WaitUntil(const std::function<bool(const SimState&)>& condition, int timeoutMs) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return condition(state_); });
}

void Simulator::Run() {
    std::uint8_t buffer[4096];
    while (!stopping_) {
        int timeoutMs = kLongestWaitMs;
        bool pending = false;
        {
            std::lock_guard lock(mutex_);
            Step();
            const double now = Now();
            double next = state_.NextEvent();
            for (const Delayed& d : delayed_)
                next = std::min(next, d.due);
            pending = !output_.empty();
            const double wait = (next - now) * 1000.0;
            timeoutMs = wait <= 0.0 ? 0 : int(std::min<double>(std::ceil(wait), kLongestWaitMs));
        }
        changed_.notify_all();

        pollfd fds[2] = {{pty_.Master(), short(POLLIN | (pending ? POLLOUT : 0)), 0},
                         {wakePipe_[0], POLLIN, 0}};
        if (poll(fds, 2, timeoutMs) < 0 && errno != EINTR) break;
        if (fds[1].revents & POLLIN) {
            char drain[64];
            while (read(wakePipe_[0], drain, sizeof drain) > 0) {
            }
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = read(pty_.Master(), buffer, sizeof buffer);
            if (n > 0) {
                {
                    std::lock_guard lock(mutex_);
                    state_.Receive(buffer, std::size_t(n), Now());
                    FlushOutput();
                }
                changed_.notify_all();
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            // Nobody on the other end; do not spin.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
}

void Simulator::Step() {
    const double now = Now();
    state_.Advance(now);
    if (!delayed_.empty()) {
        std::stable_sort(delayed_.begin(), delayed_.end(),
                         [](const Delayed& a, const Delayed& b) { return a.due < b.due; });
        auto due = delayed_.begin();
        while (due != delayed_.end() && due->due <= now) {
            outputBytes_ += due->bytes.size();
            output_.push_back(std::move(due->bytes));
            ++due;
        }
        delayed_.erase(delayed_.begin(), due);
    }
    FlushOutput();
}

void Simulator::Emit(std::string bytes, bool frame) {
    Faults& faults = state_.context.faults;
    SimStats& stats = state_.stats;
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    auto roll = [&](double fraction) {
        return fraction > 0.0 && chance(state_.context.random) < fraction;
    };
    if (faults.dropNext > 0) {
        --faults.dropNext;
        ++stats.dropped;
        return;
    }
    if (faults.silent || roll(faults.dropFraction)) {
        ++stats.dropped;
        return;
    }
    bool damaged = false;
    if (faults.corruptNext > 0) {
        --faults.corruptNext;
        damaged = true;
    } else if (roll(faults.corruptFraction)) {
        damaged = true;
    }
    if (damaged) {
        Corrupt(bytes, frame);
        ++stats.corrupted;
    }
    if (observer_) observer_(bytes, frame, damaged);
    if (roll(faults.delayFraction)) {
        ++stats.delayed;
        delayed_.push_back({Now() + faults.delayMs / 1000.0, std::move(bytes)});
        return;
    }
    outputBytes_ += bytes.size();
    output_.push_back(std::move(bytes));
    while (outputBytes_ > kOutputLimit && !output_.empty()) {
        outputBytes_ -= output_.front().size();
        output_.pop_front();
        ++stats.discarded;
    }
}

void Simulator::Corrupt(std::string& bytes, bool frame) {
    using namespace link::codec;
    std::vector<std::size_t> candidates;
    if (frame) {
        // One bit of the frame data or checksum flipped: the checksum no longer matches.
        std::size_t start = 1;
        for (int k = 0; k < 2 && start < bytes.size(); ++k)
            start += std::uint8_t(bytes[start]) == kEscape ? 2 : 1;
        for (std::size_t p = start; p < bytes.size(); ++p) {
            const auto b = std::uint8_t(bytes[p]);
            const auto flipped = std::uint8_t(b ^ 0x01);
            if (b == kEscape || b == kStartDelimiter || std::uint8_t(bytes[p - 1]) == kEscape ||
                flipped == kEscape || flipped == kStartDelimiter)
                continue;
            candidates.push_back(p);
        }
    } else {
        for (std::size_t p = 0; p < bytes.size(); ++p)
            if (bytes[p] != '\r' && bytes[p] != '\n') candidates.push_back(p);
    }
    if (candidates.empty()) return;
    std::uniform_int_distribution<std::size_t> pick(0, candidates.size() - 1);
    const std::size_t p = candidates[pick(state_.context.random)];
    if (frame)
        bytes[p] = char(std::uint8_t(bytes[p]) ^ 0x01);
    else
        bytes[p] = bytes[p] == '?' ? '#' : '?';
}

void Simulator::FlushOutput() {
    const int master = pty_.Master();
    if (master < 0) return;
    while (!output_.empty()) {
        if (pty_.Unread() >= kUnreadLimit) {
            pty_.DiscardUnread();
            ++state_.stats.discarded;
        }
        std::string& front = output_.front();
        const ssize_t n = write(master, front.data(), front.size());
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) return;
            outputBytes_ -= front.size();
            output_.pop_front();
            ++state_.stats.discarded;
            continue;
        }
        state_.stats.bytesSent += n;
        outputBytes_ -= std::size_t(n);
        if (std::size_t(n) < front.size()) {
            front.erase(0, std::size_t(n));
            return;
        }
        output_.pop_front();
        ++state_.stats.chunksSent;
    }
}

} // namespace undarix::sim
