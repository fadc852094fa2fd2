// The publisher of a station whose stopped queue was damaged, against a real broker: what is
// intact arrives, the damage is counted and told, and no sequence number comes twice, even
// with all the queue's state removed. And what Publish stores is on disk when it returns.

#include "link/MqttPublisher.h"
#include "link/codec/QueueRecord.h"
#include "support/Broker.h"
#include "support/Fixtures.h"
#include "support/SmallDisk.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace undarix::link {
namespace {

namespace fs = std::filesystem;
using testing::Broker;
using testing::ReceivedMessage;
using testing::Subscriber;
using testing::WaitUntil;

struct StoredRecord {
    std::uint64_t offset = 0, size = 0, sequence = 0;
    std::string payload;
};

std::vector<fs::path> Segments(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".seg") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<StoredRecord> Records(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<StoredRecord> records;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto record = codec::DecodeRecord(std::string_view(bytes).substr(at));
        if (record.status != codec::RecordStatus::Complete) break;
        records.push_back({at, record.size, record.message.sequence,
                           std::string(record.message.payload)});
        at += record.size;
    }
    return records;
}

MqttSettings SettingsFor(int port, const QTemporaryDir& dir) {
    MqttSettings settings;
    settings.host = "127.0.0.1";
    settings.port = port;
    settings.clientId = "damage-test";
    settings.statusTopic = "t/status";
    settings.onlinePayload = R"({"state":"online"})";
    settings.offlinePayload = R"({"state":"offline"})";
    settings.lossTopic = "t/status/loss";
    settings.queueFolder = dir.filePath("queue").toStdString();
    settings.queueBound = 64 * 1024; // segments of 4 KiB
    return settings;
}

TEST(MqttQueueDamage, OnlyTheDamagedAreLostTheyAreToldAndNoNumberComesTwice) {
    QTemporaryDir dir;
    Broker broker({"", "", false, false});
    MqttSettings settings = SettingsFor(broker.Port(), dir);
    const fs::path folder = settings.queueFolder;
    const int total = 284;
    {
        MqttPublisher publisher; // the broker is away: everything waits in the queue
        publisher.Start(settings);
        for (int i = 1; i <= total; ++i)
            publisher.Publish("t/1/line", "line " + std::to_string(i) + "\r\n");
    }
    // The stopped station's queue: one byte set to 0xFF a third into the first segment, the
    // second segment removed.
    std::vector<fs::path> files = Segments(folder);
    ASSERT_GE(files.size(), 3u);
    std::map<std::uint64_t, std::string> intact;
    for (const fs::path& file : files)
        for (const StoredRecord& record : Records(file))
            intact[record.sequence] = record.payload;
    ASSERT_EQ(intact.size(), std::size_t(total));
    const std::uint64_t highest = intact.rbegin()->first;
    const std::uint64_t third = fs::file_size(files[0]) / 3;
    std::uint64_t damaged = 0;
    for (const StoredRecord& record : Records(files[0]))
        if (third >= record.offset && third < record.offset + record.size) damaged = record.sequence;
    {
        std::fstream io(files[0], std::ios::in | std::ios::out | std::ios::binary);
        io.seekp(std::streamoff(third));
        io.put(char(0xFF));
    }
    intact.erase(damaged);
    for (const StoredRecord& record : Records(files[1]))
        intact.erase(record.sequence);
    fs::remove(files[1]);

    ASSERT_EQ(broker.Start(), "");
    Subscriber subscriber(broker.Port(), "t/#");
    ASSERT_TRUE(subscriber.WaitSubscribed());
    {
        MqttPublisher publisher;
        publisher.Start(settings);
        ASSERT_TRUE(WaitUntil(
            [&] {
                const MqttStatus s = publisher.Status();
                return s.state == MqttState::Connected && s.queued == 0 &&
                       subscriber.Count("/line") == intact.size() &&
                       subscriber.Count("/loss") == 1;
            },
            10000))
            << DescribeStatus(publisher.Status()) << ", " << subscriber.Count("/line")
            << " lines of " << intact.size();
        const std::string text = DescribeStatus(publisher.Status());
        EXPECT_NE(text.find("; 1 queued messages were damaged on disk and dropped"),
                  std::string::npos)
            << text;
        // Every intact message, in order, with its own number.
        std::vector<std::pair<std::uint64_t, std::string>> lines;
        std::string notice;
        for (const ReceivedMessage& message : subscriber.Messages()) {
            if (message.topic == "t/1/line") lines.emplace_back(*message.sequence, message.payload);
            if (message.topic == "t/status/loss") notice = message.payload;
        }
        using Lines = std::vector<std::pair<std::uint64_t, std::string>>;
        EXPECT_EQ(lines, Lines(intact.begin(), intact.end()));
        const std::string number = std::to_string(damaged);
        EXPECT_NE(notice.find(R"("lost":1,"first":)" + number + R"(,"last":)" + number +
                              R"(,"cause":"damaged on disk")"),
                  std::string::npos)
            << notice;
        // A subscriber that comes later learns the station's state, and the last loss.
        Subscriber late(broker.Port(), "t/status/#", "late-sub");
        ASSERT_TRUE(late.WaitSubscribed());
        ASSERT_TRUE(WaitUntil([&] { return late.Count("/status") == 1 && late.Count("/loss") == 1; }));
        EXPECT_EQ(late.Messages()[0].payload.find(R"("state":"online")") != std::string::npos ||
                      late.Messages()[1].payload.find(R"("state":"online")") != std::string::npos,
                  true);
    }

    // All the queue's state gone (drained; head and sequence removed): the numbers still rise
    // above every one used before.
    fs::remove(folder / "head");
    fs::remove(folder / "sequence");
    MqttPublisher publisher;
    publisher.Start(settings);
    publisher.Publish("t/1/line", "after\r\n");
    ASSERT_TRUE(WaitUntil([&] { return subscriber.Count("/line") == intact.size() + 1; }, 10000));
    const ReceivedMessage after = subscriber.Messages().back();
    EXPECT_EQ(after.payload, "after\r\n");
    EXPECT_GT(*after.sequence, highest);
}

// The queue on a full disk, and a message too large: each loss is said in its own words, and
// every number a consumer never receives is named by a loss notice.
TEST(MqttQueueDamage, AFullDiskAndAMessageTooLargeAreToldApartAndLeaveNamedGaps) {
    testing::SmallDisk disk(256);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Unavailable().toStdString();
    QTemporaryDir dir;
    Broker broker({"", "", false, false});
    MqttSettings settings = SettingsFor(broker.Port(), dir);
    settings.queueFolder = disk.Path("queue").toStdString();
    MqttPublisher publisher;
    publisher.Start(settings);
    int line = 0;
    const auto publish = [&](int count) {
        for (int i = 0; i < count; ++i)
            publisher.Publish("t/1/line", "line " + std::to_string(++line) + "\r\n");
    };
    publish(50);
    disk.Fill(0);
    publish(300);
    publisher.Publish("t/1/samples", "{\"values\":\"" + std::string(2 << 20, '1') + "\"}", true);
    MqttStatus status = publisher.Status();
    const std::string text = DescribeStatus(status);
    EXPECT_GT(status.unstored, 0u) << text;
    EXPECT_NE(text.find("messages could not be stored (cannot write the queue"), std::string::npos)
        << text;
    EXPECT_NE(text.find(std::strerror(ENOSPC)), std::string::npos) << text;
    EXPECT_NE(text.find("; 1 messages too large for the queue were dropped"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("queue full"), std::string::npos) << text;
    disk.Free();
    publish(10);

    ASSERT_EQ(broker.Start(), "");
    Subscriber subscriber(broker.Port(), "t/#");
    ASSERT_TRUE(subscriber.WaitSubscribed());
    ASSERT_TRUE(WaitUntil(
        [&] {
            const MqttStatus s = publisher.Status();
            return s.state == MqttState::Connected && s.queued == 0 && subscriber.Count("/line") > 0 &&
                   subscriber.Messages().back().payload == "line " + std::to_string(line) + "\r\n";
        },
        15000))
        << DescribeStatus(publisher.Status());
    std::vector<std::uint64_t> received;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> named;
    std::uint64_t lines = 0;
    for (const ReceivedMessage& message : subscriber.Messages()) {
        if (message.topic == "t/status") continue;
        received.push_back(*message.sequence);
        lines += message.topic == "t/1/line";
        if (message.topic == "t/status/loss") {
            const QJsonObject notice =
                QJsonDocument::fromJson(QByteArray::fromStdString(message.payload)).object();
            named.emplace_back(std::uint64_t(notice["first"].toDouble()),
                               std::uint64_t(notice["last"].toDouble()));
        }
    }
    status = publisher.Status();
    EXPECT_EQ(lines + status.unstored, std::uint64_t(line));
    // Every number missing between the first and the last is named by a notice.
    std::sort(received.begin(), received.end());
    std::uint64_t missing = 0;
    for (std::size_t i = 1; i < received.size(); ++i)
        for (std::uint64_t gap = received[i - 1] + 1; gap < received[i]; ++gap) {
            ++missing;
            EXPECT_TRUE(std::any_of(named.begin(), named.end(),
                                    [&](const auto& r) { return r.first <= gap && gap <= r.second; }))
                << "number " << gap << " missing, and no notice names it";
        }
    EXPECT_GE(missing, status.unstored + status.tooLarge);
}

// Storing is done when Publish returns, whatever the network does; a stop right after loses
// nothing.
TEST(MqttQueueDamage, WhatPublishStoresIsOnDiskWhenItReturns) {
    QTemporaryDir dir;
    MqttSettings settings = SettingsFor(Broker::FreePort(), dir);
    settings.host = "broker.invalid";
    const int total = 300;
    MqttPublisher publisher;
    publisher.Start(settings);
    for (int i = 1; i <= total; ++i)
        publisher.Publish("t/1/line", "line " + std::to_string(i) + "\r\n");
    std::size_t onDisk = 0;
    for (const fs::path& file : Segments(settings.queueFolder))
        onDisk += Records(file).size();
    EXPECT_EQ(onDisk, std::size_t(total));
    publisher.Stop();
    MessageQueue queue;
    ASSERT_EQ(queue.Open(settings.queueFolder), "");
    EXPECT_EQ(queue.Pending(), std::uint64_t(total));
}

} // namespace
} // namespace undarix::link
