#include "sim/TextUtil.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace undarix::sim {
namespace {

// The C locale, whatever the process's locale is: the simulator runs inside the program too,
// whose application object has taken the user's locale, and a unit writes and reads a decimal
// point.
locale_t CNumbers() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return c;
}

// Makes this thread's printf and strtod use the C locale while it exists.
class CNumbersScope {
public:
    CNumbersScope() : previous_(uselocale(CNumbers())) {}
    ~CNumbersScope() { uselocale(previous_); }
    CNumbersScope(const CNumbersScope&) = delete;
    CNumbersScope& operator=(const CNumbersScope&) = delete;

private:
    locale_t previous_;
};

// A NUL-terminated copy of a short text, for the C conversions.
std::string Terminated(std::string_view text) {
    return std::string(text.substr(0, 64));
}

int Digits(std::string_view text, std::size_t position, int count) {
    if (position + std::size_t(count) > text.size()) return -1;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char c = text[position + std::size_t(i)];
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

std::string Printf(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int n = [&] {
        const CNumbersScope c;
        return std::vsnprintf(buffer, sizeof buffer, format, args);
    }();
    va_end(args);
    if (n < 0) return {};
    return std::string(buffer, std::size_t(n) < sizeof buffer ? std::size_t(n) : sizeof buffer - 1);
}

long ParseInt(std::string_view text) {
    return std::strtol(Terminated(text).c_str(), nullptr, 10);
}

double ParseReal(std::string_view text) {
    return StrToDouble(Terminated(text).c_str(), nullptr);
}

double StrToDouble(const char* text, char** end) {
    return strtod_l(text, end, CNumbers());
}

int LeadingInt(std::string_view text) {
    return int(ParseInt(text));
}

int TwoDigits(std::string_view text, std::size_t position) {
    return Digits(text, position, 2);
}

int ThreeDigits(std::string_view text, std::size_t position) {
    return Digits(text, position, 3);
}

} // namespace undarix::sim
