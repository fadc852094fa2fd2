#pragma once

// Putting units on traces without the user typing their device numbers.

namespace undarix::chart {

// With the chart's option on: the unit of the device-table record `slot`, when no trace shows
// it, takes the lowest free trace. The other traces and the chart's start stay as they are, so
// a unit that joins while plotting runs is drawn from its next packet on.
void BindNewUnit(int slot);

// For runs nobody watches (the soak run, the fuzz targets): binds each trace to the unit in the
// device-table slot of the same number, once that unit is heard, and starts plotting when a
// trace was newly bound.
void BindTracesToHeardUnits();

} // namespace undarix::chart
