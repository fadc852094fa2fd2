#include "radiocfg/RadioConfigState.h"

#include "radiocfg/SettingsEvents.h"

namespace undarix::radiocfg {

RadioConfigState RadioConfig;

void ResetRadioConfig() {
    RadioConfig = RadioConfigState{};
    ResetSettingsEvents();
}

} // namespace undarix::radiocfg
