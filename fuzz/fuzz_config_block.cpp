// The wired configuration block decoder: a received block decoded for every use the program
// makes of it (checksum, prescale and staff length, the record, the configuration page), and
// the block the program would write back built from what it decoded.
//
// Input: one setting byte, then the bytes that followed "ROK," (at most 134 are kept, as the
// receive path keeps them).
//   bits 0-1  unit kind 3 + value (3 to 6)
//   bit 2     a calibration write awaits its read-back (gain and offset are compared)
//   bit 3     a clock comparison awaits its read-back

#include "core/ProgramState.h"
#include "core/codec/ConfigBlock.h"
#include "core/codec/StaffTable.h"
#include "link/WiredReceive.h"
#include "support/FuzzProgram.h"
#include "wiredcfg/ConfigDisplay.h"
#include "wiredcfg/WiredConfigState.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace undarix;
namespace block = core::codec;

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// A block as a unit sends it: every pair two uppercase hexadecimal digits (the decimal pairs
// digits), each followed by its comma. Only such a block reads back as it was written: the
// decoders take any character, so a damaged pair may become a value no pair can hold.
bool WellFormed(const char* raw) {
    for (int pair = 0; pair < block::kPairCount; ++pair) {
        const char* at = raw + block::PairOffset(pair);
        if (!IsHexDigit(at[0]) || !IsHexDigit(at[1]) || at[2] != ',') return false;
        const bool decimal = pair >= 11 && pair <= 22;
        if (decimal && (at[0] > '9' || at[1] > '9')) return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > fuzz::kMaxInput) return -1;
    const std::uint8_t setting = data[0];
    const int kind = 3 + (setting & 3);

    fuzz::StartProgram();
    core::Program.UnitType = kind;
    char* raw = link::WiredRx.WSWLRaw;
    std::memcpy(raw, data + 1, std::min<std::size_t>(size - 1, link::kWSWLRawSize));
    raw[link::kWSWLRawSize] = '\0';

    // What the receive path takes from a block.
    core::WiredConfigRecord& record = core::Program.WSAll;
    (void)block::BlockChecksumMatches(raw);
    core::Program.WiredSampleRate = block::ReadHexPair(raw, 7);
    block::DecodeBlockPrescale(raw, record);
    record.StaffLength = block::StaffLengthForPrescale(kind, record.PrescaleRange, record.Prescale);

    // The configuration page, as the configuration timer fills it.
    wiredcfg::WiredCfg.NewCalGainZero = (setting >> 2) & 1;
    core::Program.WLDeltaRTC = (setting >> 3) & 1;
    wiredcfg::SetWSWLConfigDisplay();

    // The block written back from a well-formed block, decoded again, builds the same block.
    core::WiredConfigRecord decoded = record;
    if (!block::DecodeConfigBlock(raw, kind, decoded)) std::abort();
    char written[block::kBlockBufferSize];
    const std::size_t length = block::BuildConfigBlock(decoded, kind, written);
    if (length > block::kBlockLength) std::abort();
    if (length == block::kBlockLength && WellFormed(raw)) {
        if (!block::BlockChecksumMatches(written)) std::abort();
        core::WiredConfigRecord again = decoded;
        if (!block::DecodeConfigBlock(written, kind, again)) std::abort();
        char rewritten[block::kBlockBufferSize];
        if (block::BuildConfigBlock(again, kind, rewritten) != length ||
            std::memcmp(written, rewritten, length) != 0)
            std::abort();
    }
    for (int which = 0; which < 4; ++which)
        (void)block::AlarmCountsToSend(decoded, which);
    return 0;
}
