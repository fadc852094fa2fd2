#pragma once

// Choosing the unit the configuration page shows, and changing the kind of unit.

#include "ui/Event.h"

namespace undarix::radiocfg {

// The device-number selector: the first unit of the device table with that number. 0 ends
// the session.
void SelectDeviceNum(ui::Event event);
// The network-address field (hexadecimal): any address, in the table or not.
void NetworkAddress(ui::Event event);
// The "RE-SCAN" button: the same unit's configuration read again.
void ReScanAll(ui::Event event);
// The unit-kind ring of the main panel: everything of the old kind is cleared, the page set
// up for the new one, and the unit port closed.
void SetUnitType(ui::Event event);

} // namespace undarix::radiocfg
