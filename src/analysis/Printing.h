#pragma once

// Printing the main panel or one of its pages as it is shown, through Qt's print dialog
// (which also prints to a PDF file).

#include "ui/Role.h"

#include <functional>

class QPrinter;
class QWidget;

namespace undarix::analysis {

// The dialog step: lets the user choose the printer and its page set-up; false when
// cancelled. Tests replace it with one that sets up a PDF file and accepts.
using PrintDialogStep = std::function<bool(QPrinter& printer, QWidget* parent)>;
void SetPrintDialogStep(PrintDialogStep step); // empty: Qt's print dialog

// Renders the widget on one page of the printer, scaled to fit and centred. Returns false
// when the printer could not be opened (an output file that cannot be written).
bool PrintWidget(QWidget* widget, QPrinter& printer);

// Asks through the dialog step and prints the widget carrying the role, with the wait cursor
// while it renders; reports a printer that would not open.
void PrintPanelRole(ui::Role role);

// Menu callbacks.
void PrintAllMenu();      // the main panel
void PrintOutputPlot();   // the chart page
void PrintSpectralPlot(); // the analysis page
void PrintConfigureTab(); // the configuration page

} // namespace undarix::analysis
