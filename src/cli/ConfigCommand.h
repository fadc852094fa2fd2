#pragma once

#include "cli/Console.h"

#include <QStringList>

namespace undarix::cli {

// undarix-cli config read|write|list: a unit's configuration through the window's own
// configuration session.
int Config(const QStringList& arguments, const Console& console);

} // namespace undarix::cli
