#pragma once

// printf and strtod in the C locale, for tests that build or read what units, files and other
// programs exchange: the suite also runs under a comma-decimal locale, and those texts must
// not follow it.

#include <string>

namespace undarix::testing {

[[nodiscard]] std::string CPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[nodiscard]] double CStrtod(const char* text);

} // namespace undarix::testing
