#include "radiocfg/VoltageGauge.h"

#include "core/ConfigPageRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "ui/Controls.h"

namespace undarix::radiocfg {

using namespace core::configpage;

void ShowVoltage(double volts) {
    ui::SetReal(VoltageGauge, volts);
    ui::SetDimmed(VoltageGauge, false);
    ui::SetDimmed(ReadVoltageButton, false);
    if (core::Program.UnitType == core::RezavIvirErazudRV) {
        // Too low and too high a supply are both red.
        ui::SetGaugeRamp(VoltageGauge, 0.0, 50.0,
                         {{3.8, 0xCC0000}, {3.9, 0xFF9933}, {3.92, 0xFF9933}, {45.0, 0x009900}},
                         0xCC0000);
        ui::SetLabel(VoltageGauge, " Supply Voltage");
    } else {
        // From a nearly flat battery (red) to a full one (dark green).
        ui::SetGaugeRamp(VoltageGauge, 2.0, 3.3,
                         {{2.62, 0xCC0000}, {2.67, 0xFF9933}, {2.73, 0xFFFF00}, {2.85, 0x99FF00}},
                         0x009900);
        ui::SetLabel(VoltageGauge, "Battery Voltage");
    }
}

} // namespace undarix::radiocfg
