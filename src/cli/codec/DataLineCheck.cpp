#include "cli/codec/DataLineCheck.h"

#include "files/codec/DataLine.h"

#include <algorithm>
#include <string_view>

namespace undarix::cli::codec {
namespace {

namespace line_codec = files::codec;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// `pattern` with 'd' for a digit; every other character stands for itself.
bool Matches(const char* p, std::string_view pattern) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == 'd' ? !IsDigit(p[i]) : p[i] != pattern[i]) return false;
    }
    return true;
}

// A number as the writer prints it into `width` characters: blanks, a sign, digits with at
// most one point (possibly cut), or "nan" and "inf", which it pads with blanks.
bool IsNumber(const char* p, std::size_t width) {
    std::size_t i = 0;
    while (i < width && p[i] == ' ')
        ++i;
    if (i < width && p[i] == '-') ++i;
    const std::string_view rest(p + i, width - i);
    if (rest == "nan" || rest == "inf") return true;
    bool digit = false, point = false;
    for (char c : rest) {
        if (IsDigit(c)) {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

bool IsValueField(const char* p) {
    return p[0] == ',' && IsNumber(p + 1, line_codec::kFieldWidth - 1);
}

bool IsPrintable(char c) {
    return c > ' ' && c < 127;
}

const char* BlockProblem(char kind, const char* line, std::size_t length) {
    if (length != line_codec::BlockLineLength(kind)) return "wrong length for its kind";
    if (!Matches(line + 1, "ddd,Sdd,B") || !IsPrintable(line[10]) || line[11] != ',')
        return "malformed header (device, rate or battery field)";
    if (!Matches(line + 12, "dddd-dd-ddTdd:dd:dd")) return "malformed time stamp";
    const int count = line_codec::BlockValueCount(kind);
    for (int k = 0; k < count; ++k)
        if (!IsValueField(line + line_codec::kPrefixLength + std::size_t(k) * 8))
            return "malformed value field";
    return nullptr;
}

const char* SingleProblem(const char* line, std::size_t length) {
    if (length < 9 || !Matches(line + 1, "ddd,D") || line[7] != ',')
        return "malformed one-value record";
    switch (line[6]) {
    case '1':
        if (length != 19) return "wrong length for its kind";
        if (!Matches(line + 8, "Sdd") || !IsValueField(line + 11)) return "malformed sample";
        return nullptr;
    case '8':
        if (length != 18) return "wrong length for its kind";
        return Matches(line + 8, "dddd-dd-dd") ? nullptr : "malformed date";
    case '9':
        if (length != 16) return "wrong length for its kind";
        return Matches(line + 8, "dd:dd:dd") ? nullptr : "malformed time";
    case '7':
        if (length > 19) return "wrong length for its kind";
        return IsPrintable(line[8]) ? nullptr : "malformed battery state";
    case '4':
        if (length > 13) return "wrong length for its kind";
        return IsNumber(line + 8, length - 8) ? nullptr : "malformed air temperature";
    default: return "a record type that is never logged";
    }
}

} // namespace

const char* DataLineProblem(const char* line, std::size_t length) {
    if (length == 0) return "empty line";
    const char kind = line[0];
    if (line_codec::BlockValueCount(kind) != 0) return BlockProblem(kind, line, length);
    if (kind == 'C') return SingleProblem(line, length);
    return "not a data line (no kind letter A, F, I, i, f or C)";
}

int DataLineDevice(const char* line, std::size_t length) {
    return length > 1
               ? int(line_codec::ParseLeadingInt(line + 1, std::min<std::size_t>(3, length - 1)))
               : 0;
}

std::size_t RewriteDataLine(const char* line, std::size_t length, char* out) {
    if (DataLineProblem(line, length) != nullptr) return 0;
    float values[64] = {};
    const char kind = line[0];
    if (const int count = line_codec::BlockValueCount(kind); count != 0)
        line_codec::ReadBlockValues(line, count, values);
    else if (line[6] == '1')
        values[0] = line_codec::ParseLeadingReal(line + 12, line_codec::kFieldWidth - 1);
    return line_codec::BuildDataLine(kind, line, length, values, out);
}

} // namespace undarix::cli::codec
