#include "radiocfg/codec/UnitReply.h"

#include "link/codec/DecimalText.h"

#include <cmath>

namespace undarix::radiocfg::codec {

using link::codec::Field;

ReplyHead ParseReplyHead(std::string_view reply) {
    if (reply.size() < 3 || reply[0] != '$') return {};
    return {reply[1], reply[2]};
}

int ReplyInt(std::string_view reply, std::size_t pos) {
    return link::codec::ReadDecimal(Field(reply, pos));
}

double ReplyReal(std::string_view reply, std::size_t pos) {
    return link::codec::ReadDecimalReal(Field(reply, pos)).value;
}

std::string_view ReplyText(std::string_view reply) {
    return Field(reply, kValueStart);
}

DateTimeFields ReplyDateTime(std::string_view reply) {
    DateTimeFields fields;
    fields.year = ReplyInt(reply, kYearPos);
    fields.month = ReplyInt(reply, kMonthPos);
    fields.day = ReplyInt(reply, kDayPos);
    fields.hour = ReplyInt(reply, kHourPos);
    fields.minute = ReplyInt(reply, kMinutePos);
    fields.second = ReplyInt(reply, kSecondPos);
    return fields;
}

double ReplyTablePoint(std::string_view reply, int k) {
    if (k < 0 || k >= kTablePoints) return 0.0;
    return ReplyReal(reply, kValueStart + kTableStep * std::size_t(k));
}

bool IsSessionAcknowledge(std::string_view reply) {
    return reply == "$WZ,2";
}

int KindFromModel(std::string_view reply) {
    const std::string_view code = Field(reply, kModelKindPos, 3);
    if (code == "435") return 1;
    if (code == "436") return 2;
    return 0;
}

bool EchoMatches(double echoed, double sent, int decimals) {
    // The sent value as the command text carried it, read back like the echo.
    char text[64];
    const std::size_t n = link::codec::FormatFixed(sent, decimals, text, sizeof text);
    if (n == 0) return false;
    const double carried = link::codec::ReadDecimalReal(std::string_view(text, n)).value;
    const double scale = std::pow(10.0, decimals);
    return std::llround(echoed * scale) == std::llround(carried * scale);
}

} // namespace undarix::radiocfg::codec
