#pragma once

// undarix-cli seastate INPUT...: the sea state per interval of every unit in data files and
// capture files, with the quality control of the program's Sea State page, as CSV or JSON
// lines.

#include "analysis/codec/SeaStateAnalysis.h"
#include "cli/Console.h"
#include "cli/codec/SeaStateDataFeed.h"

#include <QString>
#include <QStringList>

namespace undarix::cli {

int SeaState(const QStringList& arguments, const Console& console);

struct SeaStateRequest {
    QStringList inputs; // in time order
    int device = codec::kEveryDevice;
    analysis::codec::SeaStateSettings settings;
    bool json = false;
    qint64 chunkBytes = 1 << 20; // how much is read at a time (the records never depend on it)
};

// The run itself. Returns the exit status.
int RunSeaState(const SeaStateRequest& request, const Console& console);

} // namespace undarix::cli
