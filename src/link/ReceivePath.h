#pragma once

namespace undarix::link {

// The receive callback of the unit port: drains the port's input byte by byte.
void ComCallback(int port, int eventMask);

} // namespace undarix::link
