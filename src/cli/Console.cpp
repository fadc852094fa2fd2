#include "cli/Console.h"

#include <cstdio>

namespace undarix::cli {

void Console::Out(std::string_view bytes) const {
    if (out) out(bytes);
}

void Console::Err(std::string_view bytes) const {
    if (err) err(bytes);
}

void Console::OutLine(const QString& line) const {
    const QByteArray bytes = (line + '\n').toUtf8();
    Out(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

void Console::ErrLine(const QString& line) const {
    if (!err) return;
    const QByteArray bytes = (line + '\n').toUtf8();
    err(std::string_view(bytes.constData(), std::size_t(bytes.size())));
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
