#include "wiredcfg/WiredConfigState.h"

#include "wiredcfg/SettingsEvents.h"

namespace undarix::wiredcfg {

WiredConfigState WiredCfg;

void ResetWiredConfig() {
    WiredCfg = WiredConfigState{};
    ResetWiredSettingsEvents();
}

} // namespace undarix::wiredcfg
