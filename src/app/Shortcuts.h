#pragma once

// The keyboard beside the menus' own shortcuts (Ctrl+O, Ctrl+W, Ctrl+P, Ctrl+Q and the Alt
// accelerators, in the Designer file): F1 shows the help of the focused control, and Space on
// the chart page starts or stops plotting.

namespace undarix::app {

class MainWindow;

void BindShortcuts(MainWindow& window);

// What Space does on the chart page: the focused button or list takes it as its own; with
// anything else focused it presses Start Plotting (or Stop Plotting).
void SpaceOnChartPage();

} // namespace undarix::app
