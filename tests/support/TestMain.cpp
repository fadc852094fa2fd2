// Every test program runs the real widgets offscreen. A warning from the program itself
// (an unknown control, two controls of one name) fails the test that caused it.

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QtMessageHandler previousHandler = nullptr;

void FailOnProgramWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg && text.startsWith("undarix:"))
        ADD_FAILURE() << text.toStdString();
    if (previousHandler) previousHandler(type, context, text);
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    previousHandler = qInstallMessageHandler(FailOnProgramWarnings);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
