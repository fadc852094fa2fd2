#include "link/codec/SyntheticFrame.h"

#include "link/codec/ApiFrame.h"
#include "link/codec/DecimalText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace undarix::link::codec {
namespace {

constexpr std::size_t kTextStart = 12;
constexpr std::size_t kTextRoom = kSyntheticFrameRoom - kTextStart;

char UnitDigit(int unit) {
    return char('0' + std::clamp(unit, 0, 9));
}

// Writes the header and the text, zero-fills to the usual length; returns the frame length.
int Finish(int unit, const char* text, int textLength, int usualLength, std::uint8_t* frame) {
    frame[0] = kReceivePacket;
    std::memset(frame + 1, 0, 7);
    frame[8] = std::uint8_t(std::clamp(unit, 0, 255));
    frame[9] = 0x01;
    frame[10] = 0x00;
    frame[11] = 0x41;
    textLength = std::clamp(textLength, 0, int(kTextRoom) - 1); // snprintf may have cut it
    const int length = std::max(usualLength, int(kTextStart) + textLength);
    std::memset(frame + kTextStart, 0, std::size_t(length) - kTextStart);
    std::memcpy(frame + kTextStart, text, std::size_t(textLength));
    return length;
}

} // namespace

int BuildSampleFrame(int unit, int sampleRate, int value, std::uint8_t* frame) {
    char text[kTextRoom];
    const int n = std::snprintf(text, sizeof text, "C00%c,D1,S%02i,%05i\r\n", UnitDigit(unit),
                                sampleRate, value);
    return Finish(unit, text, n, kSampleFrameLength, frame);
}

int BuildDateFrame(int unit, int year, int month, int day, std::uint8_t* frame) {
    char text[kTextRoom];
    const int n = std::snprintf(text, sizeof text, "C00%c,D8,%04i-%02i-%02i", UnitDigit(unit), year,
                                month, day);
    return Finish(unit, text, n, kDateFrameLength, frame);
}

int BuildTimeFrame(int unit, int hour, int minute, int second, std::uint8_t* frame) {
    char text[kTextRoom];
    const int n = std::snprintf(text, sizeof text, "C00%c,D9,%02i:%02i:%02i", UnitDigit(unit), hour,
                                minute, second);
    return Finish(unit, text, n, kTimeFrameLength, frame);
}

int BuildAirTemperatureFrame(double celsius, std::uint8_t* frame) {
    char text[kTextRoom] = "C001,D4,";
    constexpr std::size_t kHead = 8;
    // A decimal point whatever the PC's locale: the data file and its readers expect one.
    const std::size_t n = FormatFixedPadded(celsius, 4, 1, text + kHead, sizeof text - kHead);
    return Finish(1, text, int(kHead + n), kAirTemperatureFrameLength, frame);
}

WiredSample WiredCountToValue(int count, double staffLengthMm) {
    WiredSample sample;
    double value = double(count) / 4095.0 * staffLengthMm;
    if (staffLengthMm < 10000.0) {
        value *= 10.0;
        sample.tenths = true;
    }
    // Held inside what the value field can carry; a broken configuration must not overflow.
    if (!std::isfinite(value)) value = 0.0;
    sample.value = int(std::clamp(value, -99999999.0, 99999999.0));
    return sample;
}

} // namespace undarix::link::codec
