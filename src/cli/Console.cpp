#include "cli/Console.h"

#include "files/NativePath.h"

#include <cstdio>

namespace undarix::cli {

void Console::Out(std::string_view bytes) const {
    if (out) out(bytes);
}

void Console::Err(std::string_view bytes) const {
    if (err) err(bytes);
}

// A file name quoted in a line keeps the bytes it was given with (see files::NativePath).
void Console::OutLine(const QString& line) const {
    Out(files::NativePath(line + '\n'));
}

void Console::ErrLine(const QString& line) const {
    if (err) err(files::NativePath(line + '\n'));
}

Console StandardConsole() {
    Console console;
    console.out = [](std::string_view bytes) {
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        std::fflush(stdout);
    };
    // Unbuffered by the C library already: a status line shows at once.
    console.err = [](std::string_view bytes) {
        std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    };
    return console;
}

} // namespace undarix::cli
