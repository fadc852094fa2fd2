#pragma once

// Every number field of the window says, while it is typed into, that Enter takes the value:
// the fields whose callbacks say more precisely what Enter does ("send the value to the unit")
// replace this general hint with their own.

namespace undarix::app {

void ShowTypingHintInEveryNumberField();

} // namespace undarix::app
