#pragma once

// Broadcast power: the main panel's three-position switch (Done, On, Off) has the display
// timer send "BP,1" or "BP,2" to every unit of the network, every 15 ticks. Power-on goes out
// 14 times, then, while no unit is heard, in bursts of 4 after 5 silent decisions; any packet
// received holds it silent. Power-off goes out 14 times, then the switch returns to Done.

#include "ui/Event.h"

#include <cstdint>

namespace undarix::live {

inline constexpr std::uint64_t kBroadcastAddress = 0x000000000000FFFFull;
inline constexpr int kBroadcastDecisionTicks = 15;
inline constexpr int kBroadcastSends = 14;    // BroadcastTimeOut below this: send
inline constexpr int kBroadcastCycleTop = 18; // passing it starts a burst of 4 again
inline constexpr int kBroadcastBurstStart = 10;
inline constexpr int kBroadcastEnded = 120;

inline constexpr int kBroadcastDone = 0;
inline constexpr int kBroadcastOn = 1;
inline constexpr int kBroadcastOff = 2;

// One tick of the broadcast cycle (part of the display timer).
void TickBroadcastPower();

// Callback of the main panel's broadcast-power switch.
void BroadcastPowerCtr(ui::Event event);

void BindBroadcastPower();

} // namespace undarix::live
