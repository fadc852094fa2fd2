#pragma once

// The topics and payloads of the network output, built from a station's data. Numbers are
// written the same way whatever the user's locale: a point before the decimals, no grouping.
//
//   <root>/<device>/line      the data-file line, byte for byte
//   <root>/<device>/samples   {"device":4,"address":"0013A20040A1B2C3","kind":"A",
//                              "time":"2014-02-10T16:00:40","rate":32,"values":[5.0664,...],
//                              "received":"2026-01-05T10:00:00.123Z"}
//   <root>/<device>/seastate  a sea-state record, as its maker writes it
//   <root>/status             {"state":"online","kind":"Ravo Zerar XB","port":"/dev/ttyUSB0"}
//   <root>/status/loss        {"seq":N,"lost":3,"first":120,"last":122,"cause":"queue full"}

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace undarix::files::codec {

[[nodiscard]] std::string DeviceTopic(std::string_view root, int device, std::string_view what);
[[nodiscard]] std::string StatusTopic(std::string_view root);
// <root>/status/loss: the retained notice of lost messages (link/codec/LossNotice.h).
[[nodiscard]] std::string LossTopic(std::string_view root);

// A topic level made of `name`: the characters MQTT reserves ("/", "+", "#") and controls
// become "_"; an empty name becomes "station".
[[nodiscard]] std::string TopicLevel(std::string_view name);

// The text of a JSON string, quotes included.
[[nodiscard]] std::string JsonString(std::string_view text);

struct UnitTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// "YYYY-MM-DDThh:mm:ss", with ".mmm" when `milliseconds` after the given time are not whole
// seconds; empty when the time is no valid date.
[[nodiscard]] std::string UnitTimeText(const UnitTime& time, std::int64_t milliseconds = 0);

// "YYYY-MM-DDThh:mm:ss.mmmZ" of milliseconds since 1970 (UTC).
[[nodiscard]] std::string UtcTimeText(std::int64_t unixMilliseconds);

struct SamplesMessage {
    int device = 0;
    std::uint64_t address = 0;
    char kind = 0;
    std::string_view time; // of the first value; empty: not known yet
    int rate = 0;          // samples per second
    std::span<const float> values;
    std::string_view received; // the PC's clock, UTC
};

[[nodiscard]] std::string SamplesJson(const SamplesMessage& message);

[[nodiscard]] std::string StationStatusJson(bool online, std::string_view kind,
                                            std::string_view port);

} // namespace undarix::files::codec
