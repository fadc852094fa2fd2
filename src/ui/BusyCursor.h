#pragma once

// The wait cursor for as long as an object of this class lives: printing, exporting, a long
// analysis. Nests: the normal cursor is back when the outermost one ends.

namespace undarix::ui {

class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Whether a busy cursor is shown now (tests).
[[nodiscard]] bool IsBusyCursorShown();

} // namespace undarix::ui
