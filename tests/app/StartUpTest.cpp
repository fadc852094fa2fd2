// What the program does before and right after its application object exists: help and
// version without a display, and the C library's numbers kept out of the user's locale.

#include "app/NumberLocale.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace undarix::testing {
namespace {

// A shell over SSH: no display, the desktop platform plugin that needs one.
QProcessEnvironment WithoutDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("QT_QPA_PLATFORM", "xcb");
    return environment;
}

TEST(StartUp, HelpAndVersionAnswerWithoutADisplay) {
    struct Case {
        const char* argument;
        const char* answer;
    };
    const Case cases[] = {
        {"--help", "--port <PATH>"},
        {"-h", "--port <PATH>"},
        {"--version", "Undarix " UNDARIX_VERSION},
        {"-v", "Undarix " UNDARIX_VERSION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        QProcess program;
        program.setProcessEnvironment(WithoutDisplay());
        program.start(UNDARIX_EXECUTABLE, {c.argument});
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
        EXPECT_TRUE(program.readAllStandardOutput().contains(c.answer));
    }
}

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
