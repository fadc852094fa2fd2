// Reading a queue folder of the network output: segment files, the head and the sequence
// file, any bytes at all, taken over as at start-up. Whatever lies there, the queue opens,
// hands out each message once in rising numbers, takes a new one under a number above all of
// them, and after a restart has exactly that one left.
//
// Input: files, each as a kind byte, for a segment the 8 bytes of its name (little-endian),
// then a 2-byte length (little-endian) and that many bytes.
//   kind 0  head      kind 1  sequence      kind 2  segment <name>.seg

#include "link/MessageQueue.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace undarix;
namespace fs = std::filesystem;

namespace {

std::uint64_t Little(const std::uint8_t* at, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | at[i];
    return value;
}

const fs::path& Folder() {
    static const fs::path folder =
        fs::path(fs::exists("/dev/shm") ? "/dev/shm" : "/tmp") /
        ("undarix-fuzz-queue-" + std::to_string(::getpid()));
    return folder;
}

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "queue: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 16) return -1;
    const fs::path& folder = Folder();
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::size_t at = 0;
    for (int files = 0; files < 8 && at + 3 <= size; ++files) {
        const int kind = data[at++] % 3;
        fs::path path = folder / (kind == 0 ? "head" : "sequence");
        if (kind == 2) {
            if (at + 8 > size) break;
            char name[40];
            std::snprintf(name, sizeof name, "%020llu.seg",
                          static_cast<unsigned long long>(Little(data + at, 8)));
            path = folder / name;
            at += 8;
        }
        if (at + 2 > size) break;
        const std::size_t length = std::min<std::size_t>(Little(data + at, 2), size - at - 2);
        at += 2;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data + at), std::streamsize(length));
        at += length;
    }

    link::MessageQueue queue;
    Check(queue.Open(folder, 64 * 1024).empty(), "a readable folder did not open");
    const std::uint64_t pending = queue.Pending();
    std::uint64_t last = 0;
    std::uint64_t sent = 0;
    while (const auto message = queue.NextUnsent()) {
        Check(message->sequence > last, "numbers do not rise");
        last = message->sequence;
        queue.Acknowledge(message->sequence);
        ++sent;
    }
    Check(sent + queue.Damaged() >= pending && sent <= pending, "counts disagree");
    Check(queue.Pending() == 0 && queue.Unsent() == 0, "messages left after all were sent");
    const std::uint64_t added = queue.Append("t/line", "after\r\n", false);
    Check(added > last, "a number was used again");
    queue.Close();

    Check(queue.Open(folder, 64 * 1024).empty(), "the queue did not open again");
    Check(queue.Pending() == 1 && queue.Damaged() == 0, "not exactly the new message left");
    const auto message = queue.NextUnsent();
    Check(message && message->sequence == added && message->payload == "after\r\n",
          "the new message came back changed");
    Check(queue.Append("t/line", "again\r\n", false) > added, "a number was used again");
    queue.Close();
    fs::remove_all(folder);
    return 0;
}
