#pragma once

// The hint the main window shows while the user types into a field: what pressing Enter will
// do with the typed value. It sits in the status bar, so showing it moves nothing.

#include <QString>

namespace undarix::core {

// What Enter does, as the hint completes "Editing: press Enter to ...".
inline constexpr const char* kEnterSendsToUnit = "send the value to the unit";
inline constexpr const char* kEnterChoosesUnit = "read the configuration of that unit";
inline constexpr const char* kEnterSendsPanId = "send the PAN ID";
inline constexpr const char* kEnterAppliesToChart = "apply it to the chart";
inline constexpr const char* kEnterPutsUnitOnTrace = "plot that device on the trace";
inline constexpr const char* kEnterChoosesTrace = "choose the trace to analyse";
inline constexpr const char* kEnterJumpsInFile = "jump to that kilobyte of the file";
inline constexpr const char* kEnterAppliesToSeaState = "apply it to the sea-state records";

void ShowEditHint(const char* whatEnterDoes);
void HideEditHint();

} // namespace undarix::core
