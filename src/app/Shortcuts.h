#pragma once

// The keyboard beside the menus' own shortcuts (Ctrl+O, Ctrl+W, Ctrl+P, Ctrl+Q and the Alt
// accelerators, in the Designer file): F1 shows the help of the focused control, and Space on
// the chart page starts or stops plotting.

namespace undarix::app {

class MainWindow;

void BindShortcuts(MainWindow& window);

// What Space does on the chart page: Start Plotting (or Stop Plotting), whatever has the focus,
// a button or a list included; a text field keeps Space as a character. The window opens with
// the focus on the chart, and showing the chart page moves it there.
void SpaceOnChartPage();

} // namespace undarix::app
