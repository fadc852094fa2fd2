#pragma once

// The output stream: every line of the data-file format also goes out of a second serial
// port at 115200 baud, so that another system can log the units live.

#include "ui/Event.h"

namespace undarix::live {

inline constexpr int kOutputBaudRate = 115200;

// Output-port selector: opens the chosen port.
void ComPortOutput(ui::Event event);
// Stop button beside it: closes the port.
void ChangeComportOutput(ui::Event event);
// Receive callback of the output port: nothing arriving there is used.
void ComOutPutCallback(int port, int eventMask);

// Binds the selector, the stop button and the zero switches of the table rows.
void BindOutputStream();
// Every second: a lost output port is tried again every few seconds, and an open one is
// checked to be still there.
void TickOutputPortWatch();

} // namespace undarix::live
