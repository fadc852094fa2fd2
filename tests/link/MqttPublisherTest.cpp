// The publisher against a real Mosquitto broker on the loopback: TLS with a verified
// certificate and a password, the status of each failure, the bound of the queue, and the
// queue kept across a restart of the publisher.

#include "link/MqttPublisher.h"
#include "support/Broker.h"
#include "support/Fixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

namespace undarix::link {
namespace {

using testing::Broker;
using testing::Subscriber;
using testing::WaitUntil;

MqttSettings SettingsFor(int port, const QTemporaryDir& dir) {
    MqttSettings settings;
    settings.host = "127.0.0.1";
    settings.port = port;
    settings.clientId = "publisher-test";
    settings.statusTopic = "t/status";
    settings.onlinePayload = R"({"state":"online"})";
    settings.offlinePayload = R"({"state":"offline"})";
    settings.queueFolder = dir.filePath("queue").toStdString();
    return settings;
}

bool HasOpenssl() {
    return std::system("openssl version >/dev/null 2>&1") == 0;
}

TEST(MqttPublisher, OverTlsWithAPasswordTheMessagesArriveInOrderWithTheirNumbers) {
    if (!HasOpenssl()) GTEST_SKIP() << "openssl is needed to make the test certificates";
    Broker broker({"station", "s3cret", true, false});
    ASSERT_EQ(broker.Start(), "");
    QTemporaryDir dir;
    MqttSettings settings = SettingsFor(broker.Port(), dir);
    settings.tls = true;
    settings.caFile = broker.CaFile();
    settings.user = "station";
    settings.password = "s3cret";

    MqttPublisher publisher;
    publisher.Start(settings);
    for (int i = 0; i < 50; ++i)
        publisher.Publish("t/1/line", "line " + std::to_string(i) + "\r\n");
    publisher.Publish("t/1/samples", R"({"values":[1.5]})", true);
    ASSERT_TRUE(WaitUntil([&] { return publisher.Status().published == 51; }, 10000))
        << DescribeStatus(publisher.Status());
    EXPECT_EQ(publisher.Status().state, MqttState::Connected);
    EXPECT_EQ(publisher.Status().queued, 0u);
    EXPECT_EQ(DescribeStatus(publisher.Status()),
              "Connected to 127.0.0.1:" + std::to_string(broker.Port()));
}

TEST(MqttPublisher, EachFailureHasItsOwnStatusAndTheMessagesAreQueued) {
    const bool tls = HasOpenssl();
    Broker passwordBroker({"station", "s3cret", false, false});
    ASSERT_EQ(passwordBroker.Start(), "");
    Broker tlsBroker({"", "", tls, false});
    if (tls) {
        ASSERT_EQ(tlsBroker.Start(), "");
    }

    struct Case {
        const char* name;
        std::function<void(MqttSettings&)> set;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"wrong host", [](MqttSettings& s) { s.host = "no-such-broker.invalid"; },
         "the broker host 'no-such-broker.invalid' cannot be found"},
        // The system's own words, which follow the user's language.
        {"refused connection", [](MqttSettings& s) { s.port = Broker::FreePort(); },
         std::strerror(ECONNREFUSED)},
        {"wrong password",
         [&](MqttSettings& s) {
             s.port = passwordBroker.Port();
             s.user = "station";
             s.password = "wrong";
         },
         "the broker refused the user name or password"},
        {"certificate of another CA",
         [&](MqttSettings& s) {
             s.port = tlsBroker.Port();
             s.tls = true;
             s.caFile = tlsBroker.OtherCaFile();
         },
         "certificate verify failed"},
        {"host name not in the certificate",
         [&](MqttSettings& s) {
             s.host = "localhost";
             s.port = tlsBroker.Port();
             s.tls = true;
             s.caFile = tlsBroker.CaFile();
         },
         "not made for the host name 'localhost'"},
        {"plain client on a TLS port", [&](MqttSettings& s) { s.port = tlsBroker.Port(); },
         "does this port want TLS?"},
        {"missing CA file",
         [&](MqttSettings& s) {
             s.tls = true;
             s.caFile = "/nonexistent/ca.crt";
         },
         std::string("cannot use the TLS file /nonexistent/ca.crt: ") + std::strerror(ENOENT)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!tls && (std::string(c.name) == "certificate of another CA" ||
                     std::string(c.name) == "host name not in the certificate" ||
                     std::string(c.name) == "plain client on a TLS port"))
            continue;
        QTemporaryDir dir;
        MqttSettings settings = SettingsFor(passwordBroker.Port(), dir);
        settings.user.clear();
        c.set(settings);
        MqttPublisher publisher;
        publisher.Start(settings);
        publisher.Publish("t/1/line", "kept\r\n");
        ASSERT_TRUE(
            WaitUntil([&] { return publisher.Status().state == MqttState::Waiting; }, 10000))
            << DescribeStatus(publisher.Status());
        const MqttStatus status = publisher.Status();
        EXPECT_NE(status.error.find(c.text), std::string::npos) << status.error;
        EXPECT_TRUE(WaitUntil([&] { return publisher.Status().queued == 1; }));
        const std::string line = DescribeStatus(publisher.Status());
        EXPECT_EQ(line.rfind("Queueing 1 messages: ", 0), 0u) << line;
    }
}

TEST(MqttPublisher, PastTheBoundTheOldestAreDroppedAndTheRestSentAfterARestart) {
    QTemporaryDir dir;
    Broker broker;
    MqttSettings settings = SettingsFor(broker.Port(), dir);
    settings.queueBound = 32 * 1024;
    const int total = 2000;
    {
        // No broker yet: everything goes to the queue, and past the bound the oldest go.
        MqttPublisher publisher;
        publisher.Start(settings);
        for (int i = 1; i <= total; ++i)
            publisher.Publish("t/1/line", "line " + std::to_string(i) + "\r\n");
        ASSERT_TRUE(WaitUntil(
            [&] {
                const MqttStatus s = publisher.Status();
                return s.dropped + s.queued == std::uint64_t(total);
            },
            10000));
        const MqttStatus status = publisher.Status();
        EXPECT_GT(status.dropped, 0u);
        EXPECT_NE(DescribeStatus(status).find(std::to_string(status.dropped) +
                                              " oldest messages dropped (queue full)"),
                  std::string::npos)
            << DescribeStatus(status);
    }
    ASSERT_EQ(broker.Start(), "");
    Subscriber subscriber(broker.Port(), "t/1/line");
    ASSERT_TRUE(subscriber.WaitSubscribed());
    MqttPublisher publisher;
    publisher.Start(settings);
    ASSERT_TRUE(WaitUntil([&] { return publisher.Status().state == MqttState::Connected; }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return publisher.Status().queued == 0; }, 10000));
    ASSERT_TRUE(WaitUntil(
        [&] {
            return !subscriber.Messages().empty() &&
                   subscriber.Messages().back().payload == "line 2000\r\n";
        },
        10000));
    const std::vector<testing::ReceivedMessage> received = subscriber.Messages();
    // The newest arrive, in order, each with its number, up to the last one published.
    const std::uint64_t base = *received.back().sequence - total + 1; // the number of line 1
    const std::uint64_t first = *received.front().sequence;
    EXPECT_GT(first, base);
    for (std::size_t i = 0; i < received.size(); ++i) {
        ASSERT_TRUE(received[i].sequence);
        EXPECT_EQ(*received[i].sequence, first + i);
        EXPECT_EQ(received[i].payload, "line " + std::to_string(first + i - base + 1) + "\r\n");
    }
}

// Two outages: after a connection the back-off starts again from its first step.
TEST(MqttPublisher, AfterAConnectionTheBackOffStartsAgainFromOneSecond) {
    QTemporaryDir dir;
    Broker broker({"", "", false, false});
    MqttPublisher publisher;
    publisher.Start(SettingsFor(broker.Port(), dir));
    ASSERT_TRUE(WaitUntil(
        [&] {
            const MqttStatus s = publisher.Status();
            return s.state == MqttState::Waiting && s.retryInSeconds >= 3;
        },
        10000))
        << DescribeStatus(publisher.Status());
    ASSERT_EQ(broker.Start(), "");
    ASSERT_TRUE(WaitUntil([&] { return publisher.Status().state == MqttState::Connected; }, 10000));
    broker.Stop();
    ASSERT_TRUE(WaitUntil([&] { return publisher.Status().state == MqttState::Waiting; }, 10000));
    EXPECT_LE(publisher.Status().retryInSeconds, 1) << DescribeStatus(publisher.Status());
}

TEST(ReconnectDelay, GrowsToTenSeconds) {
    const std::vector<std::pair<int, int>> cases = {{0, 1},  {1, 2},  {2, 4},    {3, 8},
                                                    {4, 10}, {9, 10}, {1000, 10}};
    for (const auto& [failures, seconds] : cases)
        EXPECT_EQ(ReconnectDelaySeconds(failures), seconds) << failures;
}

} // namespace
} // namespace undarix::link
