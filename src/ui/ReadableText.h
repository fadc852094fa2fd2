#pragma once

// Help and messages as a person reads them in a pop-up or tooltip. Their texts were written
// with line breaks for a fixed-width box; a dialog wraps by itself, and a break left inside a
// sentence leaves half a line hanging ("...date and time / displayed."). Paragraph breaks
// (an empty line), breaks after a sentence or a colon and list items stay.

#include <QString>

namespace undarix::ui {

// `text` with the breaks inside sentences made spaces and its decimal numbers in the
// window's format.
[[nodiscard]] QString ReadableText(const QString& text);

} // namespace undarix::ui
