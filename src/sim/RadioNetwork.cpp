#include "sim/RadioNetwork.h"

#include <algorithm>
#include <string_view>

namespace undarix::sim {
namespace {

using namespace link::codec;

std::uint64_t ReadAddress(const std::uint8_t* bytes) {
    std::uint64_t address = 0;
    for (int i = 0; i < 8; ++i)
        address = address << 8 | bytes[i];
    return address;
}

void PutAddress(std::uint64_t address, std::uint8_t* out) {
    for (int i = 0; i < 8; ++i)
        out[i] = std::uint8_t(address >> (56 - 8 * i));
}

std::uint64_t ReadValue(const std::uint8_t* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

// The command line of a transmitted text: up to its first CR or LF.
std::string_view CommandLine(const std::uint8_t* text, int count) {
    std::string_view line(reinterpret_cast<const char*>(text), std::size_t(std::max(count, 0)));
    const std::size_t end = line.find_first_of("\r\n");
    return end == std::string_view::npos ? line : line.substr(0, end);
}

} // namespace

RadioUnit* RadioNetwork::FindUnit(std::uint64_t address) {
    for (RadioUnit& unit : units)
        if (unit.config.address == address) return &unit;
    return nullptr;
}

bool RadioNetwork::Reachable(const RadioUnit& unit) const {
    return unit.awake && unit.config.panId == adapter.panId;
}

void RadioNetwork::Remember(ReceivedCommand command) {
    received.push_back(std::move(command));
    while (received.size() > kReceivedKept)
        received.pop_front();
}

void RadioNetwork::Receive(const std::uint8_t* bytes, std::size_t count, double now,
                           const SimContext& context) {
    for (std::size_t i = 0; i < count; ++i) {
        switch (assembler_.Feed(bytes[i], frame_)) {
        case ApiFrameAssembler::Result::Complete:
            ++framesReceived;
            HandleFrame(assembler_.FrameLength(), now, context);
            assembler_.Serve();
            break;
        case ApiFrameAssembler::Result::Dropped: ++framesDropped; break;
        case ApiFrameAssembler::Result::Pending: break;
        }
    }
}

void RadioNetwork::HandleFrame(int length, double now, const SimContext& context) {
    switch (frame_[0]) {
    case kATCommand:
        if (length >= 4) LocalAT(length, context);
        break;
    case kRemoteATCommand:
        if (length >= 15) RemoteAT(length, context);
        break;
    case kTransmitRequest:
        if (length >= 14) Transmit(length, now, context);
        break;
    default: break; // the adapter ignores what it does not know
    }
}

void RadioNetwork::LocalAT(int length, const SimContext& context) {
    const std::string command(reinterpret_cast<const char*>(frame_ + 2), 2);
    const int parameterLength = length - 4;
    const std::uint8_t* parameter = frame_ + 4;
    Remember({kATCommand, 0,
              std::string(reinterpret_cast<const char*>(frame_ + 2), std::size_t(length - 2))});
    if (context.IsMuted(command)) return;

    std::uint8_t reply[16] = {kATCommandResponse, frame_[1], frame_[2], frame_[3], kATOk};
    std::size_t size = 5;
    if (command == "ID") {
        if (parameterLength == 0) {
            PutAddress(adapter.panId, reply + 5);
            size += 8;
        } else if (parameterLength <= 8) {
            adapter.panId = ReadValue(parameter, parameterLength);
        } else {
            reply[4] = kATError;
        }
    } else if (command == "WR") {
        adapter.savedPanId = adapter.panId;
    } else {
        reply[4] = kATInvalidCommand;
    }
    SendFrame(reply, size, context);
}

void RadioNetwork::RemoteAT(int length, const SimContext& context) {
    const std::uint64_t destination = ReadAddress(frame_ + 2);
    const std::string command(reinterpret_cast<const char*>(frame_ + 13), 2);
    const int parameterLength = length - 15;
    const std::uint8_t* parameter = frame_ + 15;
    Remember({kRemoteATCommand, destination,
              std::string(reinterpret_cast<const char*>(frame_ + 13), std::size_t(length - 13))});
    if (context.IsMuted(command)) return;

    std::uint8_t reply[32] = {kRemoteATCommandResponse, frame_[1]};
    PutAddress(destination, reply + 2);
    reply[10] = 0xFF;
    reply[11] = 0xFE;
    reply[12] = frame_[13];
    reply[13] = frame_[14];
    reply[14] = kATOk;
    std::size_t size = 15;
    RadioUnit* unit = FindUnit(destination);
    if (unit == nullptr || !Reachable(*unit)) {
        reply[14] = kATTransmitFailed;
    } else {
        reply[10] = std::uint8_t(unit->config.networkAddress >> 8);
        reply[11] = std::uint8_t(unit->config.networkAddress);
        if (command == "ID") {
            if (parameterLength == 0) {
                PutAddress(unit->config.panId, reply + 15);
                size += 8;
            } else if (parameterLength <= 8) {
                // Taken at once; the reply still reaches the adapter on the old PAN ID.
                unit->config.panId = ReadValue(parameter, parameterLength);
            } else {
                reply[14] = kATError;
            }
        } else if (command == "WR") {
            unit->config.savedPanId = unit->config.panId;
        } else {
            reply[14] = kATInvalidCommand;
        }
    }
    SendFrame(reply, size, context);
}

void RadioNetwork::Transmit(int length, double now, const SimContext& context) {
    const std::uint64_t destination = ReadAddress(frame_ + 2);
    const std::string_view line = CommandLine(frame_ + 14, length - 14);
    Remember({kTransmitRequest, destination, std::string(line)});

    std::uint8_t status[7] = {kTransmitStatus, frame_[1], 0xFF, 0xFE, 0, kDeliveryOk, 0};
    if (destination == kBroadcastAddress) {
        SendFrame(status, sizeof status, context);
        // Broadcasts reach sleeping units too: they listen for the power-on.
        if (context.IsMuted(line.substr(0, 2))) return;
        for (RadioUnit& unit : units)
            if (unit.config.panId == adapter.panId) unit.Broadcast(line, now);
        return;
    }
    RadioUnit* unit = FindUnit(destination);
    if (unit == nullptr) {
        status[5] = kDeliveryNotFound;
    } else if (!Reachable(*unit)) {
        status[5] = kDeliveryNoAck;
    } else {
        status[2] = std::uint8_t(unit->config.networkAddress >> 8);
        status[3] = std::uint8_t(unit->config.networkAddress);
    }
    SendFrame(status, sizeof status, context);
    if (status[5] != kDeliveryOk) return;
    const std::string reply = unit->Command(line, now, context);
    if (!reply.empty() && Reachable(*unit)) SendUnitText(*unit, reply, context);
}

void RadioNetwork::SendFrame(const std::uint8_t* data, std::size_t count,
                             const SimContext& context) {
    std::uint8_t wire[kMaxEncodedFrame];
    const std::size_t n = EncodeApiFrame(data, count, wire);
    ++framesSent;
    sent.emplace_back(data, data + count);
    while (sent.size() > kSentKept)
        sent.pop_front();
    context.Send(std::string(reinterpret_cast<const char*>(wire), n), true);
}

void RadioNetwork::SendUnitText(const RadioUnit& unit, const std::string& text,
                                const SimContext& context) {
    std::uint8_t data[kMaxFrameData];
    data[0] = kReceivePacket;
    PutAddress(unit.config.address, data + 1);
    data[9] = std::uint8_t(unit.config.networkAddress >> 8);
    data[10] = std::uint8_t(unit.config.networkAddress);
    data[11] = 0x01; // acknowledged
    const std::size_t n = std::min(text.size(), kMaxFrameData - 12);
    std::copy_n(text.data(), n, data + 12);
    SendFrame(data, 12 + n, context);
}

void RadioNetwork::Advance(double now, const SimContext& context) {
    for (RadioUnit& unit : units) {
        texts_.clear();
        unit.Advance(now, context, texts_);
        if (!Reachable(unit)) continue; // off the network: the packets go nowhere
        for (const std::string& text : texts_)
            SendUnitText(unit, text, context);
    }
}

double RadioNetwork::NextEvent() const {
    double next = 1e300;
    for (const RadioUnit& unit : units)
        next = std::min(next, unit.NextEvent());
    return next;
}

} // namespace undarix::sim
