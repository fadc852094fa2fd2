#include "wiredcfg/WiredConfigState.h"

namespace undarix::wiredcfg {

WiredConfigState WiredCfg;

void ResetWiredConfig() {
    WiredCfg = WiredConfigState{};
}

} // namespace undarix::wiredcfg
