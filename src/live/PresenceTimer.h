#pragma once

// The display timer of radio units, one tick a second: it frees the table records of units
// that have fallen silent, drives the broadcast-power cycle and walks the table for the
// automatic time sync.

namespace undarix::live {

// Ticks of silence after which a unit is dropped: 6 for one-sample units; for block units
// the time of two blocks, (256 for "I" blocks, else 128) / rate, plus 10.
[[nodiscard]] int SilenceLimit(char packetKind, int sampleRate);

// One tick of the presence check alone.
void TickPresence();

// The timer callback.
void DeviceDisplayTimer();

// Binds the timer, the broadcast-power and the Auto Time Sync switches and their help.
void BindPresenceAndSync();
// Back to the start values of the time-sync walk.
void ResetPresenceAndSync();

} // namespace undarix::live
