// undarix-cli: the command-line companion. No window: a core application runs the event loop
// that the serial port and the timers need.

#include "app/NumberLocale.h"
#include "cli/Cli.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    undarix::app::KeepNumbersInCLocale();
    QCoreApplication::setApplicationName("undarix-cli");
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return undarix::cli::RunCli(arguments, undarix::cli::StandardConsole());
}
