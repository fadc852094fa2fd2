#include "core/FrameBuffers.h"

#include <algorithm>
#include <iterator>

namespace undarix::core {

float WorkValue[kWorkValues] = {};
char RxChars[kRxCharsSize] = {};
char RxSecSync[3] = {};

void ResetFrameBuffers() {
    std::fill(std::begin(WorkValue), std::end(WorkValue), 0.0f);
    std::fill(std::begin(RxChars), std::end(RxChars), '\0');
    std::fill(std::begin(RxSecSync), std::end(RxSecSync), '\0');
}

} // namespace undarix::core
