#include "live/FrameDispatch.h"

#include "link/ReceiveState.h"
#include "live/ProgramState.h"

namespace undarix::live {

void RxDataService(std::uint8_t) {
    link::UartXbee.receiveState = 0;
    Program.FileRxStatus = 0;
}

void GetDatesTimesFormStr(int) {}

} // namespace undarix::live
