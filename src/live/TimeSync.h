#pragma once

#include <cstdint>

namespace undarix::live {

// Sends one time-sync message to the unit at this address, its time separators taken from
// RxSecSync. Called by the dispatcher when the packet of the unit awaited for sync arrives.
// The message is built in a buffer of its own: TxStr keeps the configuration session's
// outstanding command.
void AutoSyncRavoZerarXB(std::uint64_t address);

} // namespace undarix::live
