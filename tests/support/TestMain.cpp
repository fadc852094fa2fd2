// Every test program runs the real widgets offscreen. A warning from the program itself
// (an unknown control, two controls of one name) fails the test that caused it.
//
// UNDARIX_TEST_LOCALE=de_DE.UTF-8 runs the program's tests under that locale, as a user's PC
// with a decimal comma would: the C library formats and reads reals with a comma from the
// start. A locale that is missing on the machine fails the run instead of passing unseen.

#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

QtMessageHandler previousHandler = nullptr;

void FailOnProgramWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg && text.startsWith("undarix:"))
        ADD_FAILURE() << text.toStdString();
    if (previousHandler) previousHandler(type, context, text);
}

// Selects the requested locale for the whole C library (the application object has applied the
// environment's already); false when the machine lacks it or it writes no decimal comma.
bool SelectTestLocale(const char* name) {
    if (std::setlocale(LC_ALL, name) == nullptr) {
        std::fprintf(stderr, "The locale %s is missing on this machine: run scripts/setup\n", name);
        return false;
    }
    if (std::strcmp(std::localeconv()->decimal_point, ",") != 0) {
        std::fprintf(stderr, "The locale %s writes no decimal comma\n", name);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    if (const char* locale = std::getenv("UNDARIX_TEST_LOCALE"); locale && *locale)
        if (!SelectTestLocale(locale)) return 1;
    // The window's number format is the user's; a test that checks it chooses its own, and
    // every other test reads the window's numbers with a point, whatever the run's locale.
    QLocale::setDefault(QLocale::c());
    previousHandler = qInstallMessageHandler(FailOnProgramWarnings);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
