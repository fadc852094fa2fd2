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
    const std::string text = "C001,D1,S08,xx";
    int slot = Decoded(0x01, text, {5.092f});
    live::OutputLine[slot].deviceNumber = 1;
    live::OutputLine[slot].sampleRate = 8;
    files::WriteOutputToFile(slot);
    slot = Decoded(0x01, "C001,D8,2014-02-10", {});
    files::WriteOutputToFile(slot);

    ASSERT_TRUE(WaitUntil([&] { return On("st/1/line").size() == 2; }, 5000));
    const std::vector<ReceivedMessage> lines = On("st/1/line");
    EXPECT_EQ(lines[0].payload, "C001,D1,S08,05.0920\r\n");
    EXPECT_EQ(lines[1].payload, "C001,D8,2014-02-10\r\n");
    ASSERT_TRUE(WaitUntil([&] { return On("st/1/samples").size() == 1; }, 5000));
    const QJsonObject samples =
        QJsonDocument::fromJson(QByteArray::fromStdString(On("st/1/samples")[0].payload)).object();
    EXPECT_EQ(samples["device"].toInt(), 1);
    EXPECT_FLOAT_EQ(float(samples["values"].toArray()[0].toDouble()), 5.092f);
    // The date record has no samples: only its line.
    EXPECT_EQ(On("st/1/samples").size(), 1u);
    // One number per message, rising in the order they were made.
    EXPECT_EQ(*lines[0].sequence + 1, *On("st/1/samples")[0].sequence);
    EXPECT_EQ(*lines[0].sequence + 2, *lines[1].sequence);
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
