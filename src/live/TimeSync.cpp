#include "live/TimeSync.h"

namespace undarix::live {

void AutoSyncRavoZerarXB(std::uint64_t) {}

} // namespace undarix::live
