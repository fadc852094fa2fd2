// Playback of a data file: the whole input is the file, read block by block by the playback
// timer, its lines assembled and handed to the line reader, the units plotted.

#include "support/FuzzProgram.h"
#include "support/PlaybackRun.h"

#include <cstddef>
#include <cstdint>

using namespace undarix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return -1;
    fuzz::StartProgram();
    // Inputs of odd length also step back now and then.
    fuzz::PlayBackFile("csv", data, size, size % 2 == 1);
    return 0;
}
