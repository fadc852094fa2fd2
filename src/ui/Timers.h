#pragma once

// The panel's timers. A timer is addressed by role like a control. Its callback never
// re-enters itself: a tick that comes while the callback runs (for instance while a pop-up
// raised by the callback is open) is handled once the running call returns.

#include "ui/Role.h"

#include <functional>

namespace undarix::ui {

// Creates (or re-creates) a timer, disabled, with its interval in seconds.
void CreateTimer(Role role, double intervalSeconds, std::function<void()> tick);
void SetTimerEnabled(Role role, bool enabled);
[[nodiscard]] bool IsTimerEnabled(Role role);
void SetTimerInterval(Role role, double seconds);
[[nodiscard]] double GetTimerInterval(Role role);
// Runs the timer's callback once, as a tick would (tests tick timers by hand).
void TickTimer(Role role);
void ClearTimers();

} // namespace undarix::ui
