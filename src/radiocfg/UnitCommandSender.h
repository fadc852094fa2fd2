#pragma once

// Sending one command of the unit language to the unit being configured. TxStr holds the one
// outstanding command; the session timer resends it while its reply is awaited (TxWait).

#include "radiocfg/codec/UnitCommand.h"

#include <string_view>

namespace undarix::radiocfg {

// Puts the command into TxStr and sends it to ConfigDeviceAddr in a transmit request. A line
// that did not fit (length 0) sends nothing. Whether a reply is awaited is the caller's.
void SendUnitCommand(const codec::CommandLine& line);

// The steps of a single-setting write: wait 0.1 s, send, await the acknowledge (TxWait 1).
void SendUnitSetting(const codec::CommandLine& line);

// Sends TxStr again the way it first went out (a unit command, or an AT request of the PAN
// ID).
void ResendTxStr();

// Whether TxStr holds a unit command of these two letters.
[[nodiscard]] bool TxStrHolds(std::string_view letters);

// Sends a command that is never resent (the clock sync) without losing the resend of a unit
// command still awaiting its reply: that command is put back into TxStr afterwards, TxWait
// still set. With nothing awaited, no reply is awaited after it either.
void SendOnceKeepingTheAwaitedCommand(const codec::CommandLine& line);

} // namespace undarix::radiocfg
