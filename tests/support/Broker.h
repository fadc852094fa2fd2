#pragma once

// A real Mosquitto broker for the tests and benchmarks: its own configuration in a temporary
// folder, on a free loopback port, stopped and started again on that port at will. And a
// subscriber on libmosquitto that keeps every message it receives, with its "seq" property.

#include <QTemporaryDir>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct mosquitto;

namespace undarix::testing {

class Broker {
public:
    struct Options {
        std::string user; // with a user, anonymous clients are refused
        std::string password;
        bool tls = false;        // a throwaway CA and server certificate for 127.0.0.1
        bool persistence = true; // subscriptions and queued messages survive a restart
    };

    Broker() : Broker(Options{}) {}
    explicit Broker(Options options);
    ~Broker();
    Broker(const Broker&) = delete;
    Broker& operator=(const Broker&) = delete;

    // Empty when the broker runs and takes connections; else why not.
    [[nodiscard]] std::string Start();
    void Stop();
    [[nodiscard]] int Port() const { return port_; }
    [[nodiscard]] std::string CaFile() const;      // with tls
    [[nodiscard]] std::string OtherCaFile() const; // a CA that did not sign the broker
    [[nodiscard]] std::string Folder() const;

    // A port on the loopback that nothing listens on.
    [[nodiscard]] static int FreePort();
    [[nodiscard]] static std::string Executable();

private:
    [[nodiscard]] std::string WriteConfiguration();
    [[nodiscard]] std::string MakeCertificates();

    Options options_;
    QTemporaryDir dir_;
    int port_ = 0;
    long long pid_ = -1;
};

struct ReceivedMessage {
    std::string topic;
    std::string payload;
    std::optional<std::uint64_t> sequence;
    bool retained = false;
};

class Subscriber {
public:
    // Subscribes to `filter` with QoS 1 in a session that outlives a restart of the broker.
    Subscriber(int port, const std::string& filter, const std::string& clientId = "test-sub");
    ~Subscriber();
    Subscriber(const Subscriber&) = delete;
    Subscriber& operator=(const Subscriber&) = delete;

    [[nodiscard]] bool WaitSubscribed(int timeoutMs = 5000);
    [[nodiscard]] std::vector<ReceivedMessage> Messages() const;
    [[nodiscard]] std::size_t Count(const std::string& topicSuffix) const;

    void Keep(ReceivedMessage message);
    void MarkSubscribed();

private:
    mosquitto* mosq_ = nullptr;
    std::string filter_;
    mutable std::mutex mutex_;
    std::vector<ReceivedMessage> messages_;
    bool subscribed_ = false;
};

} // namespace undarix::testing
