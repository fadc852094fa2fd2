#include "live/Hooks.h"

namespace undarix::live {

Hooks hooks;

} // namespace undarix::live
