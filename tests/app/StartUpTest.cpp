// What the program does right after its application object exists: the C library's numbers
// kept out of the user's locale.

#include "app/NumberLocale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace undarix::testing {
namespace {

std::string Printed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

// The test programs run with the user's locale applied by their own application object; under
// a comma locale this is the state the program starts in.
TEST(StartUp, TheCLibraryPrintsNumbersWithAPointAfterStartUp) {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    app::KeepNumbersInCLocale();
    EXPECT_EQ(Printed(0.5), "0.5000");
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
    EXPECT_EQ(std::strtod("1.25", nullptr), 1.25);
    std::setlocale(LC_NUMERIC, before.c_str()); // the other tests keep the locale they ran in
}

} // namespace
} // namespace undarix::testing
