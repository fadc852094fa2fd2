#pragma once

// Sending the outstanding command text (`TxStr`) to the radio adapter in escaped API frames:
// to a unit as a transmit request, to the adapter as a local AT command, or to a unit's radio
// as a remote AT command. Each wire byte goes out with its own ComWrtByte.

#include <cstdint>

namespace undarix::link {

// Each sends the first n bytes of TxStr (n above the 52 bytes of TxStr is cut to 52) and
// returns the result of the last byte write. Nothing is written, and 0 returned, while no
// unit port is open. A write that reports nothing written ends the frame there.
int ComWrtAPIFrame(std::uint64_t destination, int n);
int ComWrtATCommand(int n);
int ComWrtRemoteATCommand(std::uint64_t destination, int n);

// A transmit request carrying a text of the caller's own, for the messages that expect no
// reply (broadcast power, time sync): they must not overwrite the outstanding command in
// TxStr, which the configuration session may still resend. Sends the first n bytes of `text`
// (n is cut to what one frame carries); otherwise as ComWrtAPIFrame.
int ComWrtAPIFrameText(std::uint64_t destination, const char* text, int n);

} // namespace undarix::link
