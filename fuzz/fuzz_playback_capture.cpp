// Playback of a capture file: the whole input is the file of raw radio bytes, read block by
// block by the playback timer, its frames reassembled and handed to the dispatcher, the units
// plotted.

#include "support/FuzzProgram.h"
#include "support/PlaybackRun.h"

#include <cstddef>
#include <cstdint>

using namespace undarix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return -1;
    fuzz::StartProgram();
    // Inputs of odd length also step back now and then.
    fuzz::PlayBackFile("api", data, size, size % 2 == 1);
    return 0;
}
