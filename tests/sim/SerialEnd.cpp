#include "SerialEnd.h"

#include "link/codec/ApiFrame.h"

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace undarix::sim::testing {
namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

} // namespace

SerialEnd::SerialEnd(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    termios raw{};
    tcgetattr(fd_, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd_, TCSANOW, &raw);
}

SerialEnd::~SerialEnd() {
    if (fd_ >= 0) close(fd_);
}

void SerialEnd::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += std::size_t(n);
        } else {
            pollfd p{fd_, POLLOUT, 0};
            poll(&p, 1, 100);
        }
    }
}

bool SerialEnd::Pull(int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return false;
    char buffer[4096];
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n <= 0) return false;
    pending_.append(buffer, std::size_t(n));
    return true;
}

void SerialEnd::Drain() {
    while (Pull(0)) {
    }
    pending_.clear();
    assembler_.Reset();
}

void SerialEnd::SendFrame(const Frame& data) {
    std::uint8_t wire[link::codec::kMaxEncodedFrame];
    const std::size_t n = link::codec::EncodeApiFrame(data.data(), data.size(), wire);
    Write(std::string(reinterpret_cast<const char*>(wire), n));
}

void SerialEnd::SendTransmit(std::uint64_t destination, const std::string& text) {
    std::uint8_t data[link::codec::kMaxFrameData];
    const std::size_t n = link::codec::BuildTransmitRequest(
        destination, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), data);
    SendFrame(Frame(data, data + n));
}

void SerialEnd::SendLocalAT(const std::string& command) {
    std::uint8_t data[link::codec::kMaxFrameData];
    const std::size_t n = link::codec::BuildATCommand(
        reinterpret_cast<const std::uint8_t*>(command.data()), command.size(), data);
    SendFrame(Frame(data, data + n));
}

void SerialEnd::SendRemoteAT(std::uint64_t destination, const std::string& command) {
    std::uint8_t data[link::codec::kMaxFrameData];
    const std::size_t n = link::codec::BuildRemoteATCommand(
        destination, reinterpret_cast<const std::uint8_t*>(command.data()), command.size(), data);
    SendFrame(Frame(data, data + n));
}

std::optional<Frame> SerialEnd::WaitFrame(const std::function<bool(const Frame&)>& match,
                                          int timeoutMs) {
    using link::codec::ApiFrameAssembler;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::size_t used = 0;
        while (used < pending_.size()) {
            const auto result = assembler_.Feed(std::uint8_t(pending_[used++]), frame_);
            if (result == ApiFrameAssembler::Result::Dropped) ++dropped_;
            if (result != ApiFrameAssembler::Result::Complete) continue;
            ++complete_;
            Frame found(frame_, frame_ + assembler_.FrameLength());
            assembler_.Serve();
            if (match(found)) {
                pending_.erase(0, used);
                return found;
            }
        }
        pending_.clear(); // all fed; a frame in progress stays in the assembler
        if (!Pull(Remaining(deadline))) return std::nullopt;
    }
}

std::optional<std::string> SerialEnd::WaitText(const std::string& prefix, int timeoutMs) {
    const auto frame = WaitFrame(
        [&](const Frame& f) {
            return f[0] == link::codec::kReceivePacket && FrameText(f).rfind(prefix, 0) == 0;
        },
        timeoutMs);
    if (!frame) return std::nullopt;
    return FrameText(*frame);
}

std::string SerialEnd::ReadUntil(const std::string& until, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const std::size_t at = pending_.find(until);
        if (at != std::string::npos) {
            std::string text = pending_.substr(0, at + until.size());
            pending_.erase(0, at + until.size());
            return text;
        }
        if (!Pull(Remaining(deadline))) {
            std::string text = pending_;
            pending_.clear();
            return text;
        }
    }
}

std::string SerialEnd::ReadCount(std::size_t count, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (pending_.size() < count && Pull(Remaining(deadline))) {
    }
    std::string text = pending_.substr(0, count);
    pending_.erase(0, text.size());
    return text;
}

std::string SerialEnd::ReadFor(int milliseconds) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (Remaining(deadline) > 0)
        Pull(Remaining(deadline));
    std::string text = pending_;
    pending_.clear();
    return text;
}

std::string FrameText(const Frame& frame) {
    if (frame.size() <= 12) return {};
    return std::string(frame.begin() + 12, frame.end());
}

std::uint64_t FrameAddress(const Frame& frame, std::size_t at) {
    std::uint64_t address = 0;
    for (std::size_t i = 0; i < 8 && at + i < frame.size(); ++i)
        address = address << 8 | frame[at + i];
    return address;
}

} // namespace undarix::sim::testing
