#pragma once

// The USB radio adapter in API mode (escaped) and the radio units it reaches. The adapter
// answers local AT commands, reports a transmit status for every transmit request, forwards
// remote AT commands and unit commands to its units, and passes their packets on as receive
// frames. A unit is reached only while it is awake and on the adapter's PAN ID.

#include "link/codec/ApiFrame.h"
#include "sim/RadioUnit.h"
#include "sim/SimContext.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace undarix::sim {

// Delivery status of a transmit status frame.
inline constexpr std::uint8_t kDeliveryOk = 0x00;
inline constexpr std::uint8_t kDeliveryNoAck = 0x21;    // the unit did not acknowledge
inline constexpr std::uint8_t kDeliveryNotFound = 0x24; // no unit of that address
// AT command status.
inline constexpr std::uint8_t kATOk = 0;
inline constexpr std::uint8_t kATError = 1;
inline constexpr std::uint8_t kATInvalidCommand = 2;
inline constexpr std::uint8_t kATTransmitFailed = 4;

struct AdapterState {
    std::uint64_t address = 0x0013A20040000001ull;
    std::uint64_t panId = 0x3332;
    std::uint64_t savedPanId = 0x3332;
};

// A command the adapter took from the program, for tests.
struct ReceivedCommand {
    std::uint8_t apiId = 0;
    std::uint64_t destination = 0; // transmit and remote AT requests
    std::string text;              // unit command or AT command and its parameter
};

class RadioNetwork {
public:
    AdapterState adapter;
    std::vector<RadioUnit> units;

    long long framesReceived = 0;
    long long framesDropped = 0; // bad length or checksum
    long long framesSent = 0;
    std::deque<ReceivedCommand> received; // the latest, newest last
    // Frame data (API id first, before escaping and any fault) of the latest frames sent.
    std::deque<std::vector<std::uint8_t>> sent;
    static constexpr std::size_t kReceivedKept = 64;
    static constexpr std::size_t kSentKept = 64;

    void Receive(const std::uint8_t* bytes, std::size_t count, double now,
                 const SimContext& context);
    void Advance(double now, const SimContext& context);
    [[nodiscard]] double NextEvent() const;

    [[nodiscard]] RadioUnit* FindUnit(std::uint64_t address);
    [[nodiscard]] bool Reachable(const RadioUnit& unit) const;

private:
    void HandleFrame(int length, double now, const SimContext& context);
    void LocalAT(int length, const SimContext& context);
    void RemoteAT(int length, const SimContext& context);
    void Transmit(int length, double now, const SimContext& context);
    void SendFrame(const std::uint8_t* data, std::size_t count, const SimContext& context);
    void SendUnitText(const RadioUnit& unit, const std::string& text, const SimContext& context);
    void Remember(ReceivedCommand command);

    link::codec::ApiFrameAssembler assembler_{4}; // a local AT command is 4 bytes long
    std::uint8_t frame_[260] = {};
    std::vector<std::string> texts_; // scratch for the packets of one unit
};

} // namespace undarix::sim
