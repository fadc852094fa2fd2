#pragma once

// undarix-cli frame tx|at|remote-at: the escaped API frame the program sends, as spaced
// hexadecimal bytes.

#include "cli/Console.h"

#include <QStringList>

namespace undarix::cli {

extern const char* const kFrameHelp;

int Frame(const QStringList& arguments, const Console& console);

} // namespace undarix::cli
