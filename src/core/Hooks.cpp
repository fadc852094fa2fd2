#include "core/Hooks.h"

namespace undarix::core {

Hooks hooks;

} // namespace undarix::core
