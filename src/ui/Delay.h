#pragma once

#include <functional>

namespace undarix::ui {

// Blocks the thread for the given seconds: a plain sleep, never a nested event loop, because
// the unit protocols rely on no byte being handled and no timer ticking during a wait.
void Delay(double seconds);

// Replaces how Delay waits (tests record the seconds and return at once). Returns the
// previous one; an empty function restores the real sleep.
std::function<void(double)> SetDelayDriver(std::function<void(double)> driver);

} // namespace undarix::ui
