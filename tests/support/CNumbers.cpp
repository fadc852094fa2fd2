#include "support/CNumbers.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace undarix::testing {
namespace {

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return c;
}

} // namespace

std::string CPrintf(const char* format, ...) {
    const locale_t previous = uselocale(CLocale());
    char text[1024];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    uselocale(previous);
    if (n < 0) return {};
    return std::string(text, std::size_t(n) < sizeof text ? std::size_t(n) : sizeof text - 1);
}

double CStrtod(const char* text) {
    return strtod_l(text, nullptr, CLocale());
}

} // namespace undarix::testing
