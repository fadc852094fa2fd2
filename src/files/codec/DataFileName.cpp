#include "files/codec/DataFileName.h"

namespace undarix::files::codec {
namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool HasRealExtension(std::string_view name) {
    if (name.size() < 5) return false; // a name of its own before the dot
    const std::string_view tail = name.substr(name.size() - 4);
    if (tail[0] != '.' || IsSeparator(name[name.size() - 5])) return false;
    for (char c : tail.substr(1))
        if (c == '.' || IsSeparator(c)) return false;
    return true;
}

} // namespace

std::string NumberedDataFileName(std::string_view chosen) {
    std::string name(chosen);
    if (HasRealExtension(chosen)) name.resize(name.size() - 4);
    return name + "000.csv";
}

std::string DataFileNameWithNumber(std::string_view numbered, int number) {
    std::string name(numbered);
    if (name.size() < 7) return name;
    const std::size_t at = name.size() - 7;
    name[at] = char('0' + number / 100 % 10);
    name[at + 1] = char('0' + number / 10 % 10);
    name[at + 2] = char('0' + number % 10);
    return name;
}

} // namespace undarix::files::codec
