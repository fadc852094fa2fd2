#pragma once

namespace undarix::radiocfg {

// Applies one reply of a radio unit (the text in RxChars, up to its zero) to the page and the
// session: shows read values and undims their controls, confirms writes by comparing the echo
// with the control the value came from, recognises the unit kind and calibration style, and
// clears TxWait so that the session goes on. `slot` is the sender's device-table slot. The
// sender is not checked against the configured unit.
void RxConfigData(int slot);

} // namespace undarix::radiocfg
