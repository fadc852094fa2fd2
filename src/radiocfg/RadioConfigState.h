#pragma once

// The radio configuration's own state; the session variables several subsystems share live
// in core::Program.

namespace undarix::radiocfg {

struct RadioConfigState {
    // Set when a session starts: the unit's PAN ID is asked for once its configuration has
    // been read.
    int PanIdReadPending = 0;
};

extern RadioConfigState RadioConfig;

// Back to the start values.
void ResetRadioConfig();

} // namespace undarix::radiocfg
