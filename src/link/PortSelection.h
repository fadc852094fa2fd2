#pragma once

// Choosing, opening and closing the unit port, and listing the PC's serial ports in the
// unit-port and output-port selectors.

#include "ui/Event.h"

namespace undarix::link {

// Fill the selectors: "Select COM? port" (value 0), then one item per port.
int GetComPortList();
int GetComPortOutPutList();

// Callbacks of the unit-port selector and the change-port button.
void ComPort(ui::Event event);
void ChangeComport(ui::Event event);

// The closing steps of the change-port button (also run when the unit kind changes).
void CloseUnitPort();

void BindPortSelection();

} // namespace undarix::link
