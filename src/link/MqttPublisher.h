#pragma once

// Publishes messages to an MQTT broker (MQTT 5, QoS 1) through libmosquitto, losing nothing
// when the network drops: each message is stored in the on-disk queue first and leaves it
// only when the broker has acknowledged it; while the broker cannot be reached the queue
// grows (up to its bound), and it drains in order when the connection returns, after a
// restart of the program too.
//
// The network work runs on a thread of the publisher's own, so the caller never waits for a
// name lookup, a connection or the broker: Publish only hands the message over. Status
// changes come back on the thread that made the publisher, through its event loop.
//
// Every message carries its sequence number as the user property "seq" (and JSON payloads
// as their first member); numbers rise by one per message across restarts, so a consumer
// can tell a duplicate (an equal number) from a gap. The status topic is the exception: it
// holds the retained "online" message, published at each connection, and the last will.

#include "link/MessageQueue.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class QObject;

namespace undarix::link {

struct MqttSettings {
    std::string host;
    int port = 1883;
    // TLS: the broker's certificate is always verified against the CA file.
    bool tls = false;
    std::string caFile;
    std::string certFile; // optional client certificate and key
    std::string keyFile;
    std::string user; // empty: no user name
    std::string password;
    std::string clientId;
    int keepAliveSeconds = 30;
    // Retained on the status topic: the online message at each connection, the offline one
    // as last will and at a clean stop. Empty topic: none.
    std::string statusTopic;
    std::string onlinePayload;
    std::string offlinePayload;
    std::filesystem::path queueFolder;
    std::uint64_t queueBound = kDefaultQueueBound;
};

enum class MqttState {
    Off,        // not started
    Connecting, // a connection is being made
    Connected,  // messages flow
    Waiting,    // the broker cannot be reached; messages are queued; the next try is due
    Failed,     // the queue cannot be opened: nothing is published
};

struct MqttStatus {
    MqttState state = MqttState::Off;
    std::string broker;          // "host:port"
    std::uint64_t queued = 0;    // stored and not yet acknowledged by the broker
    std::uint64_t dropped = 0;   // oldest messages dropped past the queue's bound, or lost
    std::uint64_t refused = 0;   // messages the broker refused (not authorised, ...)
    std::uint64_t published = 0; // acknowledged by the broker since the start
    std::string error;           // the last problem, empty while all is well
    int retryInSeconds = 0;      // while Waiting
};

// The status in one line for a person: "Connected to ...", "Queueing N messages: ...".
[[nodiscard]] std::string DescribeStatus(const MqttStatus& status);

// Delay before the next connection attempt after `failures` failed ones: 1, 2, 4, 8, then
// 10 seconds.
[[nodiscard]] int ReconnectDelaySeconds(int failures);

class MqttPublisher {
public:
    using StatusHandler = std::function<void(const MqttStatus&)>;

    MqttPublisher();
    ~MqttPublisher();
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // Starts the network thread: it opens the queue and connects. A running publisher is
    // stopped first. `onStatus` runs on this thread whenever the status changes.
    void Start(const MqttSettings& settings, StatusHandler onStatus = {});
    // Stores what was handed over, says "offline", disconnects and closes the queue.
    void Stop();
    [[nodiscard]] bool Running() const;

    // Hands a message over; never blocks on the network. `jsonObject`: the payload is a JSON
    // object that gets "seq" as its first member. `retain`: the broker keeps it for later
    // subscribers.
    void Publish(std::string topic, std::string payload, bool jsonObject = false,
                 bool retain = false);
    // The retained status payloads change (the unit kind or port): published at once when
    // connected, else at the next connection.
    void SetStatusPayloads(std::string online, std::string offline);

    [[nodiscard]] MqttStatus Status() const;

    class Worker;

private:
    std::shared_ptr<Worker> worker_;
    std::unique_ptr<QObject> context_;
};

} // namespace undarix::link
