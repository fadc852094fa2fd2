#include "core/UnitKind.h"

#include <string>

namespace undarix::core {

const char* UnitKindName(int unitType) {
    switch (unitType) {
    case RavoZerarXB: return "Ravo Zerar XB";
    case RezavIvirErazudXB: return "Rezav Ivir Erazud XB";
    case RezavIvirErazudRV: return "Rezav Ivir Erazud RV";
    case WiredRavoZerar402E: return "Ravo Zerar TALQ-310-402E-";
    case WiredRavoZerar408: return "Ravo Zerar TALQ-310-408-";
    case DeveZuravi404E: return "Deve Zuravi TALQ-310-404E-";
    case DeveZuravi410: return "Deve Zuravi TALQ-310-410-";
    case Vazavevezeze: return "Vazavevezeze TALQ-312-412";
    default: return "";
    }
}

namespace {
constexpr const char* kKindKeys[kUnitKindCount] = {
    "ravo-zerar-xb",   "rezav-ivir-erazud-xb", "rezav-ivir-erazud-rv", "ravo-zerar-402e",
    "ravo-zerar-408",  "deve-zuravi-404e",     "deve-zuravi-410",      "vazavevezeze"};
} // namespace

const char* UnitKindKey(int unitType) {
    return unitType >= 0 && unitType < kUnitKindCount ? kKindKeys[unitType] : "";
}

int UnitKindFromKey(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos) {
        const int value = text.size() <= 2 ? std::stoi(std::string(text)) : -1;
        return value >= 0 && value < kUnitKindCount ? value : -1;
    }
    std::string key;
    for (const char c : text)
        key += c == ' ' ? '-' : char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (int kind = 0; kind < kUnitKindCount; ++kind)
        if (key == kKindKeys[kind]) return kind;
    return -1;
}

} // namespace undarix::core
