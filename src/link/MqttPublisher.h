#pragma once

// Publishes messages to an MQTT broker (MQTT 5, QoS 1) through libmosquitto, losing nothing
// when the network drops: each message is stored in the on-disk queue first and leaves it
// only when the broker has acknowledged it; while the broker cannot be reached the queue
// grows (up to its bound), and it drains in order when the connection returns, after a
// restart of the program too.
//
// Publish stores the message in the queue on the caller's thread, at once; the network work
// (name lookup, connection, TLS, sending) runs on a thread of the publisher's own, which only
// reads the queue, so storing never waits for the network. Status changes come back on the
// thread that made the publisher, through its event loop.
//
// Every message carries its sequence number as the user property "seq" (and JSON payloads
// as their first member); numbers rise by one per message across restarts, so a consumer
// can tell a duplicate (an equal number) from a gap. Every lost message leaves a gap, and a
// retained loss notice (link/codec/LossNotice.h) on the loss topic names its numbers and
// cause. The status topic is the exception: it holds the retained "online" message,
// published at each connection, and the last will.

#include "link/MessageQueue.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

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
    // Retained notices of lost messages; empty: none.
    std::string lossTopic;
    std::filesystem::path queueFolder;
    std::uint64_t queueBound = kDefaultQueueBound;
};

enum class MqttState {
    Off,        // not started
    Connecting, // a connection is being made
    Connected,  // messages flow
    Waiting,    // the broker cannot be reached; messages are queued; the next try is due
    Failed,     // the queue cannot be opened: messages wait in memory; tried again every 10 s
};

struct MqttStatus {
    MqttState state = MqttState::Off;
    std::string broker;          // "host:port"
    std::uint64_t queued = 0;    // stored and not yet acknowledged by the broker
    std::uint64_t published = 0; // acknowledged by the broker since the start
    // Lost since the start, each cause on its own:
    std::uint64_t dropped = 0;   // the oldest, past the queue's bound
    std::uint64_t damaged = 0;   // damaged on disk
    std::uint64_t tooLarge = 0;  // larger than the queue takes
    std::uint64_t unstored = 0;  // could not be stored (unstoredReason: the disk, no queue)
    std::uint64_t refused = 0;   // refused by the broker for good (refusedReason)
    std::string unstoredReason;
    std::string refusedReason;
    std::string error;      // the last problem, empty while all is well
    int retryInSeconds = 0; // while Waiting or Failed
};

// The status in one line for a person: "Connected to ...", "Queueing N messages: ...".
[[nodiscard]] std::string DescribeStatus(const MqttStatus& status);

// Delay before the next connection attempt after `failures` failed ones: 1, 2, 4, 8, then
// 10 seconds. The same back-off paces a message the broker refused for a while.
[[nodiscard]] int ReconnectDelaySeconds(int failures);

// A PUBACK reason code that asks to try again later (quota exceeded, server busy, ...),
// rather than refusing the message for good.
[[nodiscard]] bool IsTemporaryRefusal(int reasonCode);

// Seconds between two attempts to open a queue folder that cannot be used.
inline constexpr int kQueueRetrySeconds = 10;

class MqttPublisher {
public:
    using StatusHandler = std::function<void(const MqttStatus&)>;

    MqttPublisher();
    ~MqttPublisher();
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // Opens the queue and starts the network thread, which connects. A running publisher is
    // stopped first. `onStatus` runs on this thread whenever the status changes.
    void Start(const MqttSettings& settings, StatusHandler onStatus = {});
    // Says "offline", disconnects and closes the queue. A network thread stuck in a name
    // lookup is left behind without the queue, so that a new start can take it at once.
    void Stop();
    [[nodiscard]] bool Running() const;

    // How a message is stored and sent.
    struct Options {
        bool jsonObject = false; // the payload is a JSON object that gets "seq" first
        bool retain = false;     // the broker keeps it for later subscribers
    };
    // Stores the message in the queue; never waits for the network.
    void Publish(std::string_view topic, std::string_view payload, Options options);
    void Publish(std::string_view topic, std::string_view payload, bool jsonObject = false) {
        Publish(topic, payload, Options{jsonObject});
    }
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
