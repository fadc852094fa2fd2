#include "radiocfg/RadioConfigState.h"

namespace undarix::radiocfg {

RadioConfigState RadioConfig;

void ResetRadioConfig() {
    RadioConfig = RadioConfigState{};
}

} // namespace undarix::radiocfg
