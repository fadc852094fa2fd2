#pragma once

namespace undarix::radiocfg {

// Shows the unit's clock (hour, minute, second of a "$RZ," reply) minus the PC's, in seconds
// with two decimals, in the clock-difference field.
void ShowClockDifference(int unitHour, int unitMinute, int unitSecond);

} // namespace undarix::radiocfg
