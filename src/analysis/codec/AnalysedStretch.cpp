#include "analysis/codec/AnalysedStretch.h"

#include <charconv>

namespace undarix::analysis::codec {
namespace {

std::string Seconds(int count, double rate) {
    const double seconds = rate > 0.0 ? count / rate : 0.0;
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed, 1).ptr;
    return std::string(text, end) + " s";
}

} // namespace

std::string AnalysedText(int count, double rate) {
    return std::to_string(count) + (count == 1 ? " sample, " : " samples, ") +
           Seconds(count, rate);
}

std::string ShortStretchWarning(int count, double rate, const ZeroCrossingWaves& waves) {
    const int counted = waves.available ? waves.waves : 0;
    const bool shortTime = !(rate > 0.0) || count / rate < kLeastAnalysisSeconds;
    if (!shortTime && counted >= kLeastAnalysisWaves) return {};
    const std::string wavesText = counted == 0   ? "no whole wave"
                                  : counted == 1 ? "1 wave"
                                                 : std::to_string(counted) + " waves";
    return "Too short for a wave height: " + Seconds(count, rate) + " and " + wavesText +
           "; at least 2 minutes and " + std::to_string(kLeastAnalysisWaves) +
           " waves are wanted";
}

} // namespace undarix::analysis::codec
