#pragma once

#include "ui/Event.h"

#include <QString>

namespace undarix::app {

// The key that turns factory mode on. Factory mode only makes the factory controls visible
// (serial-number entry, save-present-calibration, sonic trip points, sync diagnostic).
inline constexpr const char* kFactoryKey = "UNDARIX-FACTORY";

// Callback of the factory button on the configuration page.
void FACTCTR(ui::Event event);

// True when the reply to the factory prompt is the factory key.
[[nodiscard]] bool IsFactoryKey(const QString& reply);

} // namespace undarix::app
