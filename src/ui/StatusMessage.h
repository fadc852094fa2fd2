#pragma once

#include <QString>

#include <functional>

namespace undarix::ui {

// A line in the main window's status bar, for conditions that should not interrupt the
// user with a pop-up (a port that would not open, a write that failed).
void ShowStatus(const QString& text);
[[nodiscard]] QString LastStatus();
void SetStatusSink(std::function<void(const QString&)> sink);

} // namespace undarix::ui
