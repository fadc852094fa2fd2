#pragma once

// What the fuzz targets share: the program set up headless, as at start-up but without a
// window, afresh for every input, and the ports and files its receive side writes to.

#include <cstddef>
#include <cstdint>

namespace undarix::fuzz {

// Once per process, before the first input (libFuzzer's LLVMFuzzerInitialize, defined here for
// every target): an offscreen QApplication, pop-ups that are dismissed or declined at once,
// waits that return at once, and a clock of its own.

// Per input: every subsystem back to its start values and wired as at start-up, and the
// clock back to the same moment (it then moves 1 ms per reading), so that an input does the
// same thing each time it runs.
void StartProgram();

// Selects unit kind `kind` and opens a memory port for it as the user does (the port list's
// commit). Returns the port number.
int OpenUnitPort(int kind);

// A memory port as the output stream, and the data file and the capture file on /dev/null:
// every logged line and captured byte is written as in the field, and forgotten.
void OpenOutputs();

// Hands `count` bytes to the unit port's receive callback in pieces of `piece` bytes; after
// each piece `between` runs (a timer tick, as time passes between two reads of the port).
template <class Between>
void ReceiveInPieces(int port, const std::uint8_t* data, std::size_t count, std::size_t piece,
                     Between&& between);
void Receive(int port, const std::uint8_t* data, std::size_t count);
// Lets go of what the program wrote to the port and the output stream.
void DiscardWritten(int port);

template <class Between>
void ReceiveInPieces(int port, const std::uint8_t* data, std::size_t count, std::size_t piece,
                     Between&& between) {
    if (piece == 0) piece = 1;
    for (std::size_t at = 0; at < count; at += piece) {
        const std::size_t n = count - at < piece ? count - at : piece;
        Receive(port, data + at, n);
        between();
    }
}

// Inputs longer than this are cut: each input's work stays bounded.
inline constexpr std::size_t kMaxInput = 64 * 1024;

} // namespace undarix::fuzz
