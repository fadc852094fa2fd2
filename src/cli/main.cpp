// undarix-cli: the command-line companion. No window: a core application runs the event loop
// that the serial port and the timers need.

#include "cli/Cli.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName("undarix-cli");
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return undarix::cli::RunCli(arguments, undarix::cli::StandardConsole());
}
