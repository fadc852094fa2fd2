#pragma once

// The program's end of the simulator's serial line, for tests: opens the slave path raw, and
// writes and reads API frames (with the program's codec) or plain bytes and lines.

#include "link/codec/ApiFrame.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace undarix::sim::testing {

using Frame = std::vector<std::uint8_t>; // frame data, API id first, no checksum

class SerialEnd {
public:
    explicit SerialEnd(const std::string& path);
    ~SerialEnd();
    SerialEnd(const SerialEnd&) = delete;
    SerialEnd& operator=(const SerialEnd&) = delete;

    [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }
    void Write(const std::string& bytes);
    // Discards whatever has arrived so far.
    void Drain();

    // API frames.
    void SendFrame(const Frame& data);
    void SendTransmit(std::uint64_t destination, const std::string& text);
    void SendLocalAT(const std::string& command);
    void SendRemoteAT(std::uint64_t destination, const std::string& command);
    // The next complete frame that satisfies `match`, within the time.
    std::optional<Frame> WaitFrame(const std::function<bool(const Frame&)>& match,
                                   int timeoutMs = 2000);
    // The next receive packet whose text starts with `prefix`; returns the text.
    std::optional<std::string> WaitText(const std::string& prefix, int timeoutMs = 2000);
    // Frames dropped by the codec (bad checksum or length) so far.
    int DroppedFrames() const { return dropped_; }
    int CompleteFrames() const { return complete_; }

    // Plain bytes: the text received until `until` appears (included) or time is up.
    std::string ReadUntil(const std::string& until, int timeoutMs = 2000);
    // The next `count` bytes (fewer when the time is up).
    std::string ReadCount(std::size_t count, int timeoutMs = 2000);
    // Everything received for the given time.
    std::string ReadFor(int milliseconds);

private:
    bool Pull(int timeoutMs); // reads what is there into pending_, false on time-out
    int fd_ = -1;
    std::string pending_;
    link::codec::ApiFrameAssembler assembler_;
    std::uint8_t frame_[260] = {};
    int dropped_ = 0;
    int complete_ = 0;
};

[[nodiscard]] std::string FrameText(const Frame& frame); // a receive packet's text
[[nodiscard]] std::uint64_t FrameAddress(const Frame& frame, std::size_t at);

} // namespace undarix::sim::testing
