#pragma once

// The commands that read a radio unit's whole configuration, in order. Number 1 opens the
// session ("WZ,2"); the rest are reads. A Ravo Zerar XB (kind 0) is read with 20 commands
// when it keeps a 12-point table and with 23 (gain, offset and the two automatic-calibration
// readings instead) when it does not; the sonic kinds (1, 2) with 22. Its calibration-set
// reads follow the current mode.

#include "radiocfg/codec/UnitCommand.h"

namespace undarix::radiocfg::codec {

// Number of commands in the sequence of a kind; 0 for a kind that is not read this way.
[[nodiscard]] int ReadSequenceLength(int unitType, int version12CalPts);

// Command number `configType` (from 1) of the sequence; an empty line (length 0) past the
// end or for a kind that is not read this way.
[[nodiscard]] CommandLine ReadSequenceCommand(int unitType, int configType, int version12CalPts,
                                              int currentMode);

} // namespace undarix::radiocfg::codec
