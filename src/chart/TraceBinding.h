#pragma once

// For runs nobody watches (the soak run, the fuzz targets): the chart set up as a user watching
// the units appear would set it.

namespace undarix::chart {

// Binds each trace to the unit in the device-table slot of the same number, once that unit is
// heard, and starts plotting when a trace was newly bound.
void BindTracesToHeardUnits();

} // namespace undarix::chart
