// log --mqtt: the real executable logging a simulator while it publishes to a real Mosquitto
// broker on the loopback; the broker goes away and comes back, the program is restarted
// while it is away, and each kind of failure is told while the data file goes on.

#include "CliFixture.h"
#include "sim/Simulator.h"
#include "support/Broker.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

namespace undarix::testing {
namespace {

const QString kRoot = "undarix/test";

// The executable's log, read while it runs, stopped by SIGTERM.
class LogProcess {
public:
    LogProcess(const sim::Simulator& simulator, const QStringList& options) {
        process_.start(UNDARIX_CLI_EXECUTABLE,
                       QStringList{"log", "--port", QString::fromStdString(simulator.SlavePath()),
                                   "--kind", "ravo-zerar-xb"} +
                           options);
    }
    ~LogProcess() {
        if (process_.state() != QProcess::NotRunning) Stop();
    }
    // Reads standard error for `ms`, or until it says `until` (from now on).
    void Run(int ms, const QByteArray& until = {}) {
        const qsizetype from = err_.size();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms && (until.isEmpty() || err_.indexOf(until, from) < 0)) {
            process_.waitForReadyRead(100);
            err_ += process_.readAllStandardError();
        }
    }
    int Stop() {
        process_.terminate();
        if (!process_.waitForFinished(15000)) return -1;
        err_ += process_.readAllStandardError();
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    [[nodiscard]] const QByteArray& Err() const { return err_; }

private:
    QProcess process_;
    QByteArray err_;
};

sim::Simulator Units() {
    sim::SimOptions options;
    options.units = 3;
    options.formats = "AIC";
    options.rate = 32;
    return sim::Simulator(options);
}

// The lines received, each sequence number once, in the order of the numbers; false when the
// numbers are not in the order received (after removing duplicates) or a duplicate differs.
bool LinesInOrder(const std::vector<ReceivedMessage>& messages, std::string& lines,
                  std::string& why) {
    std::map<std::uint64_t, const ReceivedMessage*> bySequence;
    std::uint64_t highest = 0;
    for (const ReceivedMessage& message : messages) {
        if (!message.sequence) continue;
        const auto [at, fresh] = bySequence.emplace(*message.sequence, &message);
        if (!fresh) {
            if (at->second->payload != message.payload || at->second->topic != message.topic) {
                why = "a duplicate of " + std::to_string(*message.sequence) + " differs";
                return false;
            }
            continue;
        }
        if (*message.sequence < highest) {
            why = "number " + std::to_string(*message.sequence) + " came after " +
                  std::to_string(highest);
            return false;
        }
        highest = *message.sequence;
    }
    lines.clear();
    for (const auto& [sequence, message] : bySequence)
        if (message->topic.ends_with("/line")) lines += message->payload;
    return true;
}

std::uintmax_t QueuedBytes(const QString& queue) {
    std::uintmax_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(queue.toStdString()))
        if (entry.path().extension() == ".seg") bytes += entry.file_size();
    return bytes;
}

class LogNetworkTest : public CliTest {
protected:
    [[nodiscard]] QStringList Mqtt(const Broker& broker) const {
        return {"--mqtt", QString("127.0.0.1:%1").arg(broker.Port()), "--mqtt-root", kRoot};
    }
    // Waits until the subscriber has every line of `expected`.
    static bool WaitForLines(const Subscriber& subscriber, const QByteArray& expected,
                             int timeoutMs = 15000) {
        return WaitUntil(
            [&] {
                std::string lines, why;
                return LinesInOrder(subscriber.Messages(), lines, why) &&
                       lines.size() >= std::size_t(expected.size());
            },
            timeoutMs);
    }
};

TEST_F(LogNetworkTest, TheLinesPublishedAreTheDataFileLinesByteForByteAndTheSamplesTheirValues) {
    Broker broker;
    ASSERT_EQ(broker.Start(), "");
    Subscriber subscriber(broker.Port(), kRoot.toStdString() + "/#");
    ASSERT_TRUE(subscriber.WaitSubscribed());
    sim::Simulator simulator = Units();
    ASSERT_TRUE(simulator.Start()) << simulator.Error();
    // A queue of its own, bounded, and a password file others may read: the log warns.
    WriteFile(Path("password"), "s3cret\n");
    QFile(Path("password")).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    LogProcess log(simulator,
                   QStringList{"--csv", Path("site.csv"), "--mqtt-queue", Path("own-queue"),
                               "--mqtt-queue-bound", "64M", "--mqtt-user", "station",
                               "--mqtt-password-file", Path("password")} +
                       Mqtt(broker));
    log.Run(4000);
    ASSERT_EQ(log.Stop(), 0) << log.Err().toStdString();
    EXPECT_TRUE(log.Err().contains("is readable by other users")) << log.Err().toStdString();
    EXPECT_TRUE(log.Err().contains(("queue " + Path("own-queue")).toUtf8())) << log.Err().toStdString();
    EXPECT_TRUE(QFileInfo::exists(Path("own-queue/head")));

    const QByteArray logged = ReadFile(Path("site000.csv"));
    ASSERT_GE(logged.count('\n'), 64) << log.Err().toStdString();
    ASSERT_TRUE(WaitForLines(subscriber, logged)) << log.Err().toStdString();
    std::string lines, why;
    const std::vector<ReceivedMessage> messages = subscriber.Messages();
    ASSERT_TRUE(LinesInOrder(messages, lines, why)) << why;
    EXPECT_EQ(lines, logged.toStdString());

    // Each line on its unit's topic; each sample line and block also as JSON, with the values
    // of the line, written without the locale's comma.
    int blockMessages = 0;
    qsizetype singleValues = 0;
    std::set<std::uint64_t> seen; // a message delivered twice counts once
    for (const ReceivedMessage& message : messages) {
        if (message.topic.ends_with("/line")) {
            const int device = std::stoi(message.payload.substr(1, 3));
            EXPECT_EQ(message.topic, kRoot.toStdString() + "/" + std::to_string(device) + "/line");
        }
        if (!message.topic.ends_with("/samples")) continue;
        ASSERT_TRUE(message.sequence) << message.topic;
        if (!seen.insert(*message.sequence).second) continue;
        const QJsonObject json =
            QJsonDocument::fromJson(QByteArray::fromStdString(message.payload)).object();
        ASSERT_FALSE(json.isEmpty()) << message.payload;
        EXPECT_EQ(json["seq"].toInteger(), qint64(*message.sequence));
        const QJsonArray values = json["values"].toArray();
        const QString kind = json["kind"].toString();
        // A block's values; single samples gathered, a second of them at most.
        if (kind == "C") {
            EXPECT_GE(values.size(), 1) << message.payload;
            EXPECT_LE(values.size(), 32) << message.payload;
            singleValues += values.size();
        } else {
            EXPECT_EQ(values.size(), kind == "A" ? 32 : 64) << message.payload;
            ++blockMessages;
        }
        EXPECT_EQ(json["rate"].toInt(), 32);
        EXPECT_EQ(json["address"].toString().size(), 16);
        if (kind != "C") {
            EXPECT_EQ(json["time"].toString().size(), 19) << message.payload;
        }
    }
    // Every block once, and every sample line's value in some gathered message, the last
    // ones sent at the stop.
    qsizetype blockLines = 0, sampleLines = 0;
    for (const QByteArray& line : logged.split('\n')) {
        if (line.startsWith('A') || line.startsWith('I')) ++blockLines;
        if (line.startsWith('C') && line.mid(4, 4) == ",D1,") ++sampleLines;
    }
    EXPECT_EQ(blockMessages, blockLines);
    EXPECT_EQ(singleValues, sampleLines);
    EXPECT_GE(sampleLines, 64);

    // The status: retained, online while logging with the kind and port, offline at the end.
    std::vector<std::string> states;
    for (const ReceivedMessage& message : messages)
        if (message.topic == kRoot.toStdString() + "/status") states.push_back(message.payload);
    ASSERT_GE(states.size(), 2u);
    EXPECT_NE(states.front().find(R"("state":"online")"), std::string::npos) << states.front();
    EXPECT_NE(states.back().find(R"("state":"offline")"), std::string::npos) << states.back();
    EXPECT_NE(states.back().find(R"("kind":"Ravo Zerar XB")"), std::string::npos);
}

TEST_F(LogNetworkTest, ABrokerAwayForTwentySecondsLosesNothingAndTheQueueIsEmptiedAfterwards) {
    Broker broker;
    ASSERT_EQ(broker.Start(), "");
    Subscriber subscriber(broker.Port(), kRoot.toStdString() + "/+/line");
    ASSERT_TRUE(subscriber.WaitSubscribed());
    sim::Simulator simulator = Units();
    ASSERT_TRUE(simulator.Start()) << simulator.Error();
    LogProcess log(simulator, QStringList{"--csv", Path("site.csv")} + Mqtt(broker));
    log.Run(3000);
    broker.Stop();
    log.Run(20000);
    EXPECT_TRUE(log.Err().contains("network output: Queueing")) << log.Err().toStdString();
    ASSERT_EQ(broker.Start(), "");
    // Back-off is at most 10 s; then the queue drains, in order.
    log.Run(20000, "network output: Connected");
    log.Run(3000);
    ASSERT_EQ(log.Stop(), 0) << log.Err().toStdString();

    const QByteArray logged = ReadFile(Path("site000.csv"));
    ASSERT_TRUE(WaitForLines(subscriber, logged)) << log.Err().toStdString();
    std::string lines, why;
    ASSERT_TRUE(LinesInOrder(subscriber.Messages(), lines, why)) << why;
    EXPECT_EQ(lines, logged.toStdString());
    EXPECT_EQ(QueuedBytes(Path("site.mqtt-queue")), 0u);
}

TEST_F(LogNetworkTest, WhatWasQueuedWhileTheBrokerWasAwayIsSentAfterARestartOfTheProgram) {
    Broker broker;
    ASSERT_EQ(broker.Start(), "");
    Subscriber subscriber(broker.Port(), kRoot.toStdString() + "/+/line");
    ASSERT_TRUE(subscriber.WaitSubscribed());
    broker.Stop();
    sim::Simulator simulator = Units();
    ASSERT_TRUE(simulator.Start()) << simulator.Error();
    {
        LogProcess log(simulator, QStringList{"--csv", Path("site.csv")} + Mqtt(broker));
        log.Run(3000);
        ASSERT_EQ(log.Stop(), 0) << log.Err().toStdString();
        EXPECT_TRUE(log.Err().contains("network output: Queueing")) << log.Err().toStdString();
    }
    EXPECT_GT(QueuedBytes(Path("site.mqtt-queue")), 0u);
    ASSERT_EQ(broker.Start(), "");
    LogProcess log(simulator, QStringList{"--csv", Path("site.csv")} + Mqtt(broker));
    log.Run(3000);
    ASSERT_EQ(log.Stop(), 0) << log.Err().toStdString();

    const QByteArray logged = ReadFile(Path("site000.csv")) + ReadFile(Path("site001.csv"));
    ASSERT_TRUE(WaitForLines(subscriber, logged)) << log.Err().toStdString();
    std::string lines, why;
    ASSERT_TRUE(LinesInOrder(subscriber.Messages(), lines, why)) << why;
    EXPECT_EQ(lines, logged.toStdString());
}

TEST_F(LogNetworkTest, EachFailureIsToldClearlyAndTheDataFileGoesOn) {
    Broker passwordBroker({"station", "s3cret", false, false});
    ASSERT_EQ(passwordBroker.Start(), "");
    const bool tls = std::system("openssl version >/dev/null 2>&1") == 0;
    Broker tlsBroker({"", "", tls, false});
    if (tls) {
        ASSERT_EQ(tlsBroker.Start(), "");
    }
    WriteFile(Path("password"), "wrong\n");
    struct Case {
        const char* name;
        QStringList options;
        std::string told;
    };
    const std::vector<Case> cases = {
        {"wrong host", {"--mqtt", "no-such-broker.invalid"}, "cannot be found"},
        {"refused",
         {"--mqtt", QString("127.0.0.1:%1").arg(Broker::FreePort())},
         std::strerror(ECONNREFUSED)}, // the system's words, in the user's language
        {"wrong password",
         {"--mqtt", QString("127.0.0.1:%1").arg(passwordBroker.Port()), "--mqtt-user", "station",
          "--mqtt-password-file", Path("password")},
         "the broker refused the user name or password"},
        {"certificate of another CA",
         {"--mqtt", QString("127.0.0.1:%1").arg(tlsBroker.Port()), "--mqtt-tls-ca",
          QString::fromStdString(tlsBroker.OtherCaFile())},
         "certificate verify failed"},
    };
    sim::Simulator simulator = Units();
    ASSERT_TRUE(simulator.Start()) << simulator.Error();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!tls && std::string(c.name) == "certificate of another CA") continue;
        const QString csv = Path(QString(c.name).replace(' ', '-') + ".csv");
        LogProcess log(simulator, QStringList{"--csv", csv} + c.options);
        log.Run(3000);
        ASSERT_EQ(log.Stop(), 0) << log.Err().toStdString();
        EXPECT_TRUE(log.Err().contains(c.told.c_str())) << log.Err().toStdString();
        EXPECT_TRUE(log.Err().contains("Queueing")) << log.Err().toStdString();
        const QByteArray logged = ReadFile(QString(csv).replace(".csv", "000.csv"));
        EXPECT_GE(logged.count('\n'), 32) << log.Err().toStdString();
    }
}

TEST_F(LogNetworkTest, TheNetworkOptionsAreChecked) {
    struct Case {
        QStringList options;
        const char* told;
    };
    const std::vector<Case> cases = {
        {{"--mqtt", "host:99999"}, "--mqtt wants HOST or HOST:PORT"},
        {{"--mqtt", ":1883"}, "--mqtt wants HOST or HOST:PORT"},
        {{"--mqtt-root", "x"}, "--mqtt-root goes with --mqtt"},
        {{"--mqtt-tls-ca", "ca.crt"}, "--mqtt-tls-ca goes with --mqtt"},
        {{"--mqtt-queue", "q"}, "--mqtt-queue goes with --mqtt"},
        {{"--mqtt", "h", "--mqtt-root", "site/+/x"}, "cannot hold the wildcards + and #"},
        {{"--mqtt", "h", "--mqtt-root", "site/#"}, "cannot hold the wildcards + and #"},
        {{"--mqtt", "h", "--mqtt-root", "$SYS/site"}, "cannot begin with $"},
        {{"--mqtt", "h", "--mqtt-root", "site\x01a"}, "cannot hold control characters"},
        {{"--mqtt", "h", "--mqtt-root", "site\ta"}, "cannot hold control characters"},
        {{"--mqtt", "h", "--mqtt-root", "site\x7f"}, "cannot hold control characters"},
        {{"--mqtt", "h", "--mqtt-root", QString(70000, 'r')}, "topic root is too long"},
        {{"--mqtt", "h", "--mqtt-password-file", "pw"}, "--mqtt-password-file goes with --mqtt-user"},
        {{"--mqtt", "h", "--mqtt-queue-bound", "lots"}, "--mqtt-queue-bound wants a size"},
        {{"--mqtt", "h", "--mqtt-queue-bound", "1K"}, "--mqtt-queue-bound wants a size"},
    };
    for (const Case& c : cases) {
        const CliRun run =
            RunInProcess(QStringList{"log", "--port", "mem:units", "--kind", "0"} + c.options);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find(c.told), std::string::npos) << run.err;
    }
    const CliRun run = RunInProcess({"log", "--port", "mem:units", "--kind", "0", "--mqtt",
                                     "localhost", "--mqtt-user", "u", "--mqtt-password-file",
                                     Path("missing")});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("missing: cannot be read"), std::string::npos) << run.err;
}

} // namespace
} // namespace undarix::testing
