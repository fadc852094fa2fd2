// The network output fed by the data-file writer, with no data file open, and the sea-state
// entry point, against a real broker.

#include "files/NetworkOutput.h"
#include "FileFixture.h"
#include "files/DataFile.h"
#include "support/Broker.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace undarix::testing {
namespace {

class NetworkOutputTest : public FileFixture {
protected:
    void SetUp() override {
        FileFixture::SetUp();
        ASSERT_EQ(broker.Start(), "");
        subscriber = std::make_unique<Subscriber>(broker.Port(), "st/#");
        ASSERT_TRUE(subscriber->WaitSubscribed());
        files::NetworkOutputSettings settings;
        settings.enabled = true;
        settings.host = "127.0.0.1";
        settings.port = broker.Port();
        settings.topicRoot = "st";
        files::StartNetworkOutput(settings, Path("queue"));
    }
    void TearDown() override {
        files::StopNetworkOutput();
        subscriber.reset();
        FileFixture::TearDown();
    }
    [[nodiscard]] std::vector<ReceivedMessage> On(const std::string& topic) const {
        std::vector<ReceivedMessage> found;
        for (const ReceivedMessage& message : subscriber->Messages())
            if (message.topic == topic) found.push_back(message);
        return found;
    }

    Broker broker{Broker::Options{"", "", false, false}};
    std::unique_ptr<Subscriber> subscriber;
};

TEST_F(NetworkOutputTest, LinesArePublishedWithNoDataFileOpenAndTheSamplesBesideThem) {
    ASSERT_EQ(core::Program.OutputDataFileOpen, 0);
    ASSERT_EQ(core::Program.NetworkOutputOn, 1);
    int slot = Decoded(0x01, "C001,D1,S08,xx", {5.092f});
    live::OutputLine[slot].deviceNumber = 1;
    live::OutputLine[slot].sampleRate = 8;
    files::WriteOutputToFile(slot);
    slot = Decoded(0x01, "C001,D8,2014-02-10", {});
    files::WriteOutputToFile(slot);

    ASSERT_TRUE(WaitUntil([&] { return On("st/1/line").size() == 2; }, 5000));
    const std::vector<ReceivedMessage> lines = On("st/1/line");
    EXPECT_EQ(lines[0].payload, "C001,D1,S08,05.0920\r\n");
    EXPECT_EQ(lines[1].payload, "C001,D8,2014-02-10\r\n");
    // The lone sample goes out when its unit has said nothing more for a second.
    ASSERT_TRUE(WaitUntil([&] { return On("st/1/samples").size() == 1; }, 5000));
    const QJsonObject samples =
        QJsonDocument::fromJson(QByteArray::fromStdString(On("st/1/samples")[0].payload)).object();
    EXPECT_EQ(samples["device"].toInt(), 1);
    EXPECT_EQ(samples["values"].toArray().size(), 1);
    EXPECT_FLOAT_EQ(float(samples["values"].toArray()[0].toDouble()), 5.092f);
    // The date record has no samples: only its line. The numbers rise in the order the
    // messages were made.
    EXPECT_EQ(*lines[0].sequence + 1, *lines[1].sequence);
    EXPECT_EQ(*lines[1].sequence + 1, *On("st/1/samples")[0].sequence);
}

// Single samples go out gathered, a second of them a message at most, each message with the
// time of its first value; a new time record or rate starts a new message.
TEST_F(NetworkOutputTest, SingleSamplesAreGatheredUpToASecondAMessage) {
    const int slot = Decoded(0x02, "C002,D1,S04,xx", {0.0f});
    live::OutputLineRecord& record = live::OutputLine[slot];
    record.deviceNumber = 2;
    record.sampleRate = 4;
    record.year = 2026, record.month = 12, record.day = 7;
    record.hour = 12, record.minute = 0, record.second = 0;
    const auto sample = [&](int count, float value) {
        Decoded(0x02, "C002,D1,S04,xx", {value});
        record.sampleCount = count;
        files::WriteOutputToFile(slot);
    };
    for (int n = 1; n <= 6; ++n)
        sample(n, float(n));
    // The unit's next time record: the count starts again.
    record.second = 10;
    sample(1, 7.0f);
    ASSERT_TRUE(WaitUntil([&] { return On("st/2/samples").size() == 3; }, 5000));
    EXPECT_EQ(On("st/2/line").size(), 7u);
    struct Expected {
        const char* time;
        std::vector<double> values;
    };
    const Expected expected[] = {{"2026-12-07T12:00:00", {1, 2, 3, 4}},
                                 {"2026-12-07T12:00:01", {5, 6}},
                                 {"2026-12-07T12:00:10", {7}}};
    const std::vector<ReceivedMessage> messages = On("st/2/samples");
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const QJsonObject json =
            QJsonDocument::fromJson(QByteArray::fromStdString(messages[i].payload)).object();
        // Whole: a time one sample late differs only in its milliseconds.
        EXPECT_EQ(json["time"].toString().toStdString(), expected[i].time);
        EXPECT_EQ(json["rate"].toInt(), 4);
        const QJsonArray values = json["values"].toArray();
        ASSERT_EQ(std::size_t(values.size()), expected[i].values.size()) << messages[i].payload;
        for (qsizetype k = 0; k < values.size(); ++k)
            EXPECT_EQ(values[k].toDouble(), expected[i].values[std::size_t(k)]);
    }
}

// A device number wider than a byte reaches the topic and the JSON whole.
TEST_F(NetworkOutputTest, ADeviceNumberAbove255IsCarriedWhole) {
    const int slot = Decoded(0x09, "A999,D1,S32,xx", {1.5f});
    live::OutputLine[slot].deviceNumber = 999;
    live::OutputLine[slot].sampleRate = 32;
    files::WriteOutputToFile(slot);
    ASSERT_TRUE(WaitUntil([&] { return On("st/999/samples").size() == 1; }, 5000))
        << (subscriber->Messages().empty() ? "" : subscriber->Messages().back().topic);
    EXPECT_EQ(On("st/999/line").size(), 1u);
    const QJsonObject samples =
        QJsonDocument::fromJson(QByteArray::fromStdString(On("st/999/samples")[0].payload)).object();
    EXPECT_EQ(samples["device"].toInt(), 999);
}

TEST_F(NetworkOutputTest, ASeaStateRecordGoesToItsUnitsTopicWithItsNumber) {
    files::PublishSeaState(3, R"({"hm0":1.25,"tp":8.5})");
    ASSERT_TRUE(WaitUntil([&] { return On("st/3/seastate").size() == 1; }, 5000));
    const ReceivedMessage record = On("st/3/seastate")[0];
    EXPECT_EQ(record.payload,
              R"({"seq":)" + std::to_string(*record.sequence) + R"(,"hm0":1.25,"tp":8.5})");
    // The station's status, retained.
    ASSERT_TRUE(WaitUntil([&] { return !On("st/status").empty(); }, 5000));
    EXPECT_NE(On("st/status")[0].payload.find(R"("state":"online")"), std::string::npos);
}

} // namespace
} // namespace undarix::testing
