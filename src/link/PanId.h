#pragma once

namespace undarix::link {

// Asks the radio adapter for its PAN ID (local AT "ID"); the answer comes back through
// RxATCommandResponce.
void GetLocalPANID();

} // namespace undarix::link
