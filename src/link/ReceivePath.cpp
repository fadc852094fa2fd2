#include "link/ReceivePath.h"

#include "link/SerialPort.h"

namespace undarix::link {

void ComCallback(int port, int eventMask) {
    if (!(eventMask & kRxCharEvent)) return;
    while (GetInQLen(port) > 0) (void)ComRdByte(port);
}

} // namespace undarix::link
