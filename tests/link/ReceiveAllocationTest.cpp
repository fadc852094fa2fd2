// The receive path allocates nothing per frame: bytes from the port, the frame reassembled,
// dispatched, decoded and fed to the sea state, with the system clock (months of captures are
// replayed through it). Drawing the unit's row may allocate (Qt's texts); that share is
// measured alone and taken away.

#include "analysis/SeaState.h"
#include "core/Hooks.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/ReceivePath.h"
#include "link/SerialPort.h"
#include "link/codec/ApiFrame.h"
#include "live/DeviceTable.h"
#include "live/FrameDispatch.h"
#include "support/Fixtures.h"
#include "ui/Clock.h"

#include <atomic>
#include <cstdio>
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDARIX_ALLOCATIONS_UNCOUNTED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define UNDARIX_ALLOCATIONS_UNCOUNTED 1
#endif

namespace {
std::atomic<long long> allocations{0};
} // namespace

#ifndef UNDARIX_ALLOCATIONS_UNCOUNTED
// Every heap allocation of the program, C++ and C (Qt allocates with malloc), is counted.
extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* __libc_calloc(std::size_t count, std::size_t size);
extern "C" void* __libc_realloc(void* p, std::size_t size);
extern "C" void* malloc(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t count, std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* p, std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(p, size);
}
#endif

namespace undarix::testing {
namespace {

using core::Program;

std::string IBlockFrame(std::uint64_t address, int second) {
    std::string data = "\x90";
    for (int i = 7; i >= 0; --i)
        data += char(address >> (8 * i));
    data += std::string("\xFF\xFE\x41", 3);
    char header[40];
    std::snprintf(header, sizeof header, "I%03d,S16,B0,2026-12-07T12:%02d:%02d,,",
                  int(address & 0xFF), second / 60 % 60, second % 60);
    data += header;
    for (int k = 0; k < 64; ++k) {
        const int mm = 1500 + (k * 37 + second * 11) % 700 - 350; // some samples travel escaped
        data += char(mm & 0xFF);
        data += char(mm >> 8);
    }
    std::uint8_t wire[link::codec::kMaxEncodedFrame];
    const std::size_t n = link::codec::EncodeApiFrame(
        reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), wire);
    return std::string(reinterpret_cast<const char*>(wire), n);
}

class ReceiveAllocationTest : public HeadlessTest {};

TEST_F(ReceiveAllocationTest, AFrameCostsNoHeapAllocationBeyondDrawingItsRow) {
#ifdef UNDARIX_ALLOCATIONS_UNCOUNTED
    GTEST_SKIP() << "the sanitizer counts allocations its own way";
#endif
    ui::SetClock({}); // the system clock, as live and as the companion
    Program.UnitType = core::RavoZerarXB;
    Program.DataSource = core::kSourceSerialPort;
    const int port = link::PortNumberForPath("mem:allocations");
    ASSERT_EQ(link::OpenComConfig(port, 115200), 0);
    link::InstallComCallback(port, link::kRxCharEvent, link::ComCallback);
    Program.OpenComPortNum = port;
    core::hooks.RxDataService = live::RxDataService;
    core::hooks.SeaStateSamples = analysis::FeedSeaState;

    constexpr std::uint64_t kUnit = 0x0013A20040A1B203ull;
    constexpr int kFrames = 200;
    // One frame over and over, so that the row is drawn with the same texts each time; the
    // unit takes its row and the sea state its interval before counting starts.
    std::string wire;
    for (int i = 0; i < kFrames; ++i)
        wire += IBlockFrame(kUnit, 7);
    link::MemoryPortReceive(port, wire);
    const int slot = live::GetOutputLineLoc(kUnit);
    ASSERT_NE(slot, live::kNoSlot);
    const int before = live::OutputLine[slot].sampleCount;

    const long long received = allocations.load();
    link::MemoryPortReceive(port, wire);
    const long long receiving = allocations.load() - received;
    const long long drawn = allocations.load();
    for (int i = 0; i < kFrames; ++i)
        live::WrLine2Display(slot);
    const long long drawing = allocations.load() - drawn;

    EXPECT_EQ(before, 64); // the frames were decoded
    EXPECT_LE(receiving - drawing, 0) << "allocations per frame besides drawing: "
                                      << double(receiving - drawing) / kFrames;
    link::CloseCom(port);
}

} // namespace
} // namespace undarix::testing
