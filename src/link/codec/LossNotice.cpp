#include "link/codec/LossNotice.h"

#include <cstdio>

namespace undarix::link::codec {
namespace {

void AppendMember(std::string& out, std::string_view name, std::uint64_t value) {
    out += ",\"";
    out += name;
    out += "\":";
    out += std::to_string(value);
}

void AppendText(std::string& out, std::string_view name, std::string_view text) {
    out += ",\"";
    out += name;
    out += "\":\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(static_cast<unsigned char>(c)));
            out += escaped;
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
}

} // namespace

std::string LossNoticeJson(const LossNotice& notice) {
    std::string out = "{\"lost\":" + std::to_string(notice.count);
    if (notice.first != 0) {
        AppendMember(out, "first", notice.first);
        AppendMember(out, "last", notice.last);
    } else {
        AppendMember(out, "after", notice.after);
    }
    AppendText(out, "cause", notice.cause);
    if (!notice.reason.empty()) AppendText(out, "reason", notice.reason);
    out.push_back('}');
    return out;
}

} // namespace undarix::link::codec
