#pragma once

namespace undarix::link {

// Asks the radio adapter for its PAN ID (local AT "ID"); the answer comes back through
// RxATCommandResponce.
void GetLocalPANID();

// An AT command response of the adapter (API frame 0x88): `count` bytes in RxChars, the AT
// command letters, the status (0 = OK) and the value, most significant byte first. count is
// at least 3.
void RxATCommandResponce(int count);
// A remote AT command response of the unit being configured (0x97), laid out as above.
void RxRemoteATCommandResponce(int count);

} // namespace undarix::link
