#pragma once

// undarix-cli convert INPUT OUTPUT: a capture file becomes exactly the data-file lines the
// program logs live for the same bytes; a data file is checked and written again line by line.

#include "cli/Console.h"

#include <QString>
#include <QStringList>

namespace undarix::cli {

extern const char* const kConvertHelp;

int Convert(const QStringList& arguments, const Console& console);

// The conversion itself; OUTPUT "-" is standard output. Returns the exit status.
int ConvertFile(const QString& input, const QString& output, const Console& console);

} // namespace undarix::cli
