#pragma once

namespace undarix::radiocfg {

// Shows a voltage reply in the gauge, with the range, colours and caption of the unit kind:
// the battery of a Ravo Zerar XB or Rezav Ivir Erazud XB, the external supply of the RV.
void ShowVoltage(double volts);

} // namespace undarix::radiocfg
