#include "link/ReceiveState.h"

#include <algorithm>
#include <iterator>

namespace undarix::link {

std::uint8_t RxFrame[kRxFrameSize] = {};
UartXbeeState UartXbee;

void ResetReceiveState() {
    std::fill(std::begin(RxFrame), std::end(RxFrame), 0);
    UartXbee = UartXbeeState{};
}

} // namespace undarix::link
