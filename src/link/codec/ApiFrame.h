#pragma once

// XBee API frames in escaped mode (API mode 2), both directions: the bytes on the wire are
//   0x7E, length (2 bytes, MSB first), frame data (API id and fields), checksum
// where the checksum is 0xFF minus the low byte of the sum of the frame data, and every byte
// after the start delimiter that is 0x7E, 0x7D, 0x11 or 0x13 goes out as 0x7D, byte ^ 0x20.
// Length and checksum are computed on the unescaped bytes.

#include <cstddef>
#include <cstdint>

namespace undarix::link::codec {

inline constexpr std::uint8_t kStartDelimiter = 0x7E;
inline constexpr std::uint8_t kEscape = 0x7D;
inline constexpr std::uint8_t kXon = 0x11;
inline constexpr std::uint8_t kXoff = 0x13;
inline constexpr std::uint8_t kEscapeXor = 0x20;

// API identifiers.
inline constexpr std::uint8_t kTransmitRequest = 0x10;
inline constexpr std::uint8_t kATCommand = 0x08;
inline constexpr std::uint8_t kRemoteATCommand = 0x17;
inline constexpr std::uint8_t kReceivePacket = 0x90;
inline constexpr std::uint8_t kATCommandResponse = 0x88;
inline constexpr std::uint8_t kRemoteATCommandResponse = 0x97;
inline constexpr std::uint8_t kTransmitStatus = 0x8B;

inline constexpr std::uint64_t kBroadcastAddress = 0x000000000000FFFFull;

// Frame data never exceeds 255 bytes (the length's high byte is always 0); an escaped frame
// is at most 1 + 2 x (2 + 255 + 1) bytes.
inline constexpr std::size_t kMaxFrameData = 255;
inline constexpr std::size_t kMaxEncodedFrame = 1 + 2 * (2 + kMaxFrameData + 1);

[[nodiscard]] constexpr bool NeedsEscape(std::uint8_t byte) {
    return byte == kStartDelimiter || byte == kEscape || byte == kXon || byte == kXoff;
}

// 0xFF minus the low byte of the sum of the frame data.
[[nodiscard]] std::uint8_t FrameChecksum(const std::uint8_t* frameData, std::size_t count);

// The escaped wire bytes of a frame; `count` is at most kMaxFrameData, `out` holds at least
// kMaxEncodedFrame bytes. Returns the number of bytes written to `out`.
std::size_t EncodeApiFrame(const std::uint8_t* frameData, std::size_t count, std::uint8_t* out);

// Frame data (from the API id on) of the frames the program sends, into `frameData` (at least
// kMaxFrameData bytes). `text` is the unit command or the AT command and its parameter; it is
// cut where the frame would exceed 255 bytes. Each returns the frame-data length.
//   0x10 transmit request: id 1, 64-bit destination, 0xFF 0xFE, radius 0, options 0, text
std::size_t BuildTransmitRequest(std::uint64_t destination, const std::uint8_t* text,
                                 std::size_t count, std::uint8_t* frameData);
//   0x08 local AT command: id 1, text
std::size_t BuildATCommand(const std::uint8_t* text, std::size_t count, std::uint8_t* frameData);
//   0x17 remote AT command: id 1, 64-bit destination, 0xFF 0xFE, options 0x02 (apply), text
std::size_t BuildRemoteATCommand(std::uint64_t destination, const std::uint8_t* text,
                                 std::size_t count, std::uint8_t* frameData);

// Reassembles frames from the wire, one byte at a time: undoes the escaping, checks the length
// (5 to 255) and the checksum. Bytes between frames are ignored, and a 0x7E inside a frame is
// data, not a new start.
class ApiFrameAssembler {
public:
    enum class Result { Pending, Complete, Dropped };

    // Lengths below `minimumLength` are dropped. The program's receive path takes 5 and more;
    // the radio adapter (the simulator's) also takes the 4-byte local AT command.
    explicit ApiFrameAssembler(int minimumLength = 5) : minimumLength_(minimumLength) {}

    // Feeds one wire byte; frame data goes to `frame` (at least 256 bytes: the checksum is
    // stored after the last data byte). On Complete the frame's length is FrameLength() and
    // the assembler stays in the complete state, taking no bytes, until Serve().
    Result Feed(std::uint8_t byte, std::uint8_t* frame);

    // Takes the frame data at the start of `bytes` that Feed would only store: none while the
    // frame's length is not known, nothing from an escape on, nothing past the frame's last data
    // byte. Returns how many bytes it took; the rest go to Feed.
    std::size_t TakeData(const std::uint8_t* bytes, std::size_t count, std::uint8_t* frame);

    // Hunting for the next start delimiter, as after a served frame.
    void Serve() { state_ = kHunting; }
    void Reset() { *this = ApiFrameAssembler{minimumLength_}; }

    [[nodiscard]] int State() const { return state_; }
    [[nodiscard]] int FrameLength() const { return frameLength_; }
    [[nodiscard]] int ByteCount() const { return byteCount_; }

    // The receive states, as the rest of the program names them.
    static constexpr int kHunting = 0;
    static constexpr int kReceiving = 2;
    static constexpr int kComplete = 3;

private:
    int minimumLength_ = 5;
    int state_ = kHunting;
    int lengthStage_ = 1; // 1: length high byte next, 2: low byte next, 3: frame bytes
    bool escapePending_ = false;
    int length_ = 0;
    int byteCount_ = 0;
    std::uint8_t sum_ = 0;
    int frameLength_ = 0;
};

} // namespace undarix::link::codec
