// A broker's refusals of single messages (PUBACK reason codes). Mosquitto refuses a QoS 1
// message only as not authorised or too large; "quota exceeded" and "server busy" come from
// other brokers and from plugins, so here a small scripted MQTT 5 server on the loopback
// answers each PUBLISH with the reason code the test asks for, to the real client library.

#include "link/MqttPublisher.h"
#include "support/Broker.h"
#include "support/Fixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace undarix::link {
namespace {

using testing::WaitUntil;

// Accepts one client at a time; answers CONNECT, PINGREQ, and each QoS 1 PUBLISH with the
// next reason code listed for its payload (0, success, once the list is used up).
class ScriptedServer {
public:
    explicit ScriptedServer(std::map<std::string, std::vector<int>> refusals)
        : refusals_(std::move(refusals)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        (void)::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        (void)::listen(listener_, 4);
        (void)::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ScriptedServer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    [[nodiscard]] int Port() const { return port_; }
    // The payloads taken (answered with success), in order.
    [[nodiscard]] std::vector<std::string> Taken() const {
        std::lock_guard lock(mutex_);
        return taken_;
    }

private:
    void Serve() {
        while (!stop_) {
            pollfd wait{listener_, POLLIN, 0};
            if (::poll(&wait, 1, 50) <= 0) continue;
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0) continue;
            std::string in;
            while (!stop_) {
                pollfd readable{client, POLLIN, 0};
                if (::poll(&readable, 1, 50) <= 0) continue;
                char buffer[4096];
                const ssize_t got = ::read(client, buffer, sizeof buffer);
                if (got <= 0) break;
                in.append(buffer, std::size_t(got));
                while (Answer(client, in)) {
                }
            }
            ::close(client);
        }
    }

    // One whole packet from the front of `in`, answered; false when none is whole yet.
    bool Answer(int client, std::string& in) {
        std::size_t length = 0, at = 1;
        for (int shift = 0;; shift += 7) {
            if (at >= in.size()) return false;
            const auto byte = std::uint8_t(in[at++]);
            length |= std::size_t(byte & 0x7F) << shift;
            if (!(byte & 0x80)) break;
        }
        if (in.size() < at + length) return false;
        const auto type = std::uint8_t(in[0]) >> 4;
        const std::string body = in.substr(at, length);
        in.erase(0, at + length);
        if (type == 1) Send(client, std::string("\x20\x03\x00\x00\x00", 5)); // CONNACK
        if (type == 12) Send(client, std::string("\xD0\x00", 2));            // PINGRESP
        if (type != 3) return true;
        // PUBLISH, QoS 1: topic, packet identifier, properties, payload.
        const std::size_t topic = std::size_t(std::uint8_t(body[0])) << 8 | std::uint8_t(body[1]);
        std::size_t p = 2 + topic;
        const std::string id = body.substr(p, 2);
        p += 2;
        std::size_t properties = 0;
        for (int shift = 0;; shift += 7) {
            const auto byte = std::uint8_t(body[p++]);
            properties |= std::size_t(byte & 0x7F) << shift;
            if (!(byte & 0x80)) break;
        }
        const std::string payload = body.substr(p + properties);
        int reason = 0;
        {
            std::lock_guard lock(mutex_);
            std::vector<int>& script = refusals_[payload];
            if (!script.empty()) {
                reason = script.front();
                script.erase(script.begin());
            }
            if (reason == 0) taken_.push_back(payload);
        }
        Send(client, std::string("\x40\x03", 2) + id + char(reason)); // PUBACK
        return true;
    }

    static void Send(int client, const std::string& bytes) {
        (void)!::write(client, bytes.data(), bytes.size());
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::map<std::string, std::vector<int>> refusals_;
    std::vector<std::string> taken_;
    std::thread thread_;
};

TEST(MqttRefusal, AskedToWaitTheMessageGoesAgainRefusedForGoodItIsCountedOnce) {
    constexpr int kQuotaExceeded = 0x97, kServerBusy = 0x89, kNotAuthorized = 0x87;
    ScriptedServer server({{"line 3", {kQuotaExceeded, kServerBusy}},
                           {"line 4", std::vector<int>(5, kNotAuthorized)}});
    QTemporaryDir dir;
    MqttSettings settings;
    settings.host = "127.0.0.1";
    settings.port = server.Port();
    settings.clientId = "refusal-test";
    settings.queueFolder = dir.filePath("queue").toStdString();
    MqttPublisher publisher;
    publisher.Start(settings);
    for (int i = 1; i <= 5; ++i)
        publisher.Publish("t/1/line", "line " + std::to_string(i));
    ASSERT_TRUE(WaitUntil(
        [&] { return DescribeStatus(publisher.Status()).find("asked to wait") != std::string::npos; },
        5000))
        << DescribeStatus(publisher.Status());
    const std::string waiting = DescribeStatus(publisher.Status());
    EXPECT_TRUE(waiting.find("(Quota exceeded)") != std::string::npos ||
                waiting.find("(Server busy)") != std::string::npos)
        << waiting;
    // Two waits of 1 and 2 s, then it is taken; the refused one is let go.
    ASSERT_TRUE(WaitUntil([&] { return publisher.Status().queued == 0; }, 10000))
        << DescribeStatus(publisher.Status());
    std::vector<std::string> taken = server.Taken();
    taken.erase(std::unique(taken.begin(), taken.end()), taken.end());
    std::sort(taken.begin(), taken.end());
    taken.erase(std::unique(taken.begin(), taken.end()), taken.end());
    EXPECT_EQ(taken, (std::vector<std::string>{"line 1", "line 2", "line 3", "line 5"}));
    const MqttStatus status = publisher.Status();
    EXPECT_EQ(status.refused, 1u);
    EXPECT_NE(DescribeStatus(status).find("1 messages refused by the broker (Not authorized, "
                                          "reason code 135)"),
              std::string::npos)
        << DescribeStatus(status);
}

} // namespace
} // namespace undarix::link
