#pragma once

namespace undarix::ui {

// What happened to a control. Behaviour callbacks act on the events they care about and
// ignore the rest, as an instrument panel's callbacks do.
enum class Event {
    Commit,       // the user changed the value or pressed the button
    RightClick,   // the help pop-up was asked for (shown by the UI layer itself)
    KeyPress,     // the user is typing into the control
    LostFocus,    // the control lost the keyboard focus
    ValueChanged, // a continuous change, such as a graph cursor being dragged
};

} // namespace undarix::ui
