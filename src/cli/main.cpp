// undarix-cli: the command-line companion. No window: a core application runs the event loop
// that the serial port and the timers need.

#include "app/NumberLocale.h"
#include "cli/Cli.h"
#include "files/NativePath.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    undarix::app::KeepNumbersInCLocale();
    QCoreApplication::setApplicationName("undarix-cli");
    // Taken from argv as they are: a file name that is not valid UTF-8 keeps its bytes.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << undarix::files::PathFromNative(argv[i]);
    return undarix::cli::RunCli(arguments, undarix::cli::StandardConsole());
}
