// The topics and payloads of the network output: JSON that any reader takes, numbers with a
// point whatever the locale, and the unit's time of each sample.

#include "files/codec/NetworkMessages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>
#include <vector>

namespace undarix::files::codec {
namespace {

// A comma-decimal locale if the machine has one: numbers must not follow it.
class CommaLocale {
public:
    CommaLocale() {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
            if (std::setlocale(LC_ALL, name)) return;
    }
    ~CommaLocale() { std::setlocale(LC_ALL, "C"); }
};

TEST(NetworkMessages, SamplesAreJsonWithPointDecimalsInAnyLocale) {
    const CommaLocale locale;
    const std::vector<float> values = {5.0664f, -1.25f, 0.0f, 12.3456f,
                                       std::numeric_limits<float>::quiet_NaN()};
    SamplesMessage message;
    message.device = 4;
    message.address = 0x0013A20040A1B2C3ull;
    message.kind = 'A';
    message.time = "2014-02-10T16:00:40";
    message.rate = 32;
    message.values = values;
    message.received = "2026-12-07T12:00:00.250Z";
    const std::string json = SamplesJson(message);
    EXPECT_EQ(json, R"({"device":4,"address":"0013A20040A1B2C3","kind":"A",)"
                    R"("time":"2014-02-10T16:00:40","rate":32,)"
                    R"("values":[5.0664,-1.25,0,12.3456,null],)"
                    R"("received":"2026-12-07T12:00:00.250Z"})");
    const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
    ASSERT_FALSE(object.isEmpty()) << json;
    EXPECT_FLOAT_EQ(float(object["values"].toArray()[0].toDouble()), 5.0664f);

    message.time = {};
    message.kind = 0;
    const std::string unknown = SamplesJson(message);
    EXPECT_NE(unknown.find(R"("time":null)"), std::string::npos) << unknown;
    EXPECT_NE(unknown.find(R"("kind":"")"), std::string::npos) << unknown;
}

TEST(NetworkMessages, TheUnitTimeOfASampleAfterTheTimeRecord) {
    struct Case {
        UnitTime time;
        std::int64_t milliseconds;
        std::string text;
    };
    const std::vector<Case> cases = {
        {{2014, 2, 10, 16, 0, 40}, 0, "2014-02-10T16:00:40"},
        {{2014, 2, 10, 16, 0, 40}, 125, "2014-02-10T16:00:40.125"},
        {{2014, 2, 10, 16, 0, 59}, 1031, "2014-02-10T16:01:00.031"},
        {{2016, 2, 28, 23, 59, 59}, 1000, "2016-02-29T00:00:00"},
        {{2026, 12, 31, 23, 59, 59}, 1500, "2027-01-01T00:00:00.500"},
        {{2014, 2, 30, 16, 0, 40}, 0, ""}, // no such day
        {{0, 0, 0, 0, 0, 0}, 0, ""},       // no time record yet
        {{2014, 2, 10, 24, 0, 0}, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UnitTimeText(c.time, c.milliseconds), c.text) << c.text;
    EXPECT_EQ(UtcTimeText(0), "1970-01-01T00:00:00.000Z");
    EXPECT_EQ(UtcTimeText(951868799999), "2000-02-29T23:59:59.999Z");
}

TEST(NetworkMessages, TopicsAndTextsCannotBreakTheirFormat) {
    EXPECT_EQ(DeviceTopic("undarix/pc1", 4, "line"), "undarix/pc1/4/line");
    EXPECT_EQ(StatusTopic("undarix/pc1"), "undarix/pc1/status");
    const std::vector<std::pair<std::string, std::string>> levels = {{"pc1", "pc1"},
                                                                     {"a/b", "a_b"},
                                                                     {"x+y#", "x_y_"},
                                                                     {"", "station"},
                                                                     {"tab\there", "tab_here"}};
    for (const auto& [name, level] : levels)
        EXPECT_EQ(TopicLevel(name), level) << name;
    EXPECT_EQ(JsonString("a\"b\\c\n\x01"), R"("a\"b\\c\n\u0001")");
    // Every control character is escaped, up to and including 0x1F; the space is not.
    for (int c = 0; c < 0x20; ++c) {
        const std::string text = JsonString(std::string(1, char(c)));
        EXPECT_TRUE(text.size() > 3 && text[1] == '\\') << "control " << c << " raw";
    }
    EXPECT_EQ(JsonString(" "), "\" \"");
    EXPECT_EQ(StationStatusJson(false, "Ravo Zerar XB", "/dev/ttyUSB0"),
              R"({"state":"offline","kind":"Ravo Zerar XB","port":"/dev/ttyUSB0"})");
}

} // namespace
} // namespace undarix::files::codec
