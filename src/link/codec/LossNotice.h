#pragma once

// The loss notice of the network output: retained under <root>/status/loss, it tells a
// consumer which sequence numbers will never come and why, so that a gap is explained:
//
//   {"seq":N,"lost":3,"first":120,"last":122,"cause":"queue full"}
//   {"seq":N,"lost":5,"after":119,"cause":"not stored","reason":"No space left on device"}
//
// "first"/"last" name the numbers the lost messages had (some in between may have arrived
// when "lost" is smaller); "after" is the number they followed when they never had one.
// Causes: "queue full", "damaged on disk", "too large", "not stored", "refused by the broker".

#include <cstdint>
#include <string>
#include <string_view>

namespace undarix::link::codec {

struct LossNotice {
    std::string_view cause;
    std::uint64_t count = 0;
    std::uint64_t first = 0; // 0: the messages had no numbers
    std::uint64_t last = 0;
    std::uint64_t after = 0;
    std::string_view reason; // optional
};

// The notice as a JSON object (the queue adds "seq" as its first member).
[[nodiscard]] std::string LossNoticeJson(const LossNotice& notice);

} // namespace undarix::link::codec
