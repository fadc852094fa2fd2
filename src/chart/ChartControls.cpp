#include "chart/ChartControls.h"

#include "chart/ChartCursors.h"
#include "chart/ChartExport.h"
#include "chart/ChartFifo.h"
#include "chart/ChartGraph.h"
#include "chart/ChartState.h"
#include "chart/PlotPageRoles.h"
#include "chart/TracePlotting.h"
#include "core/EditHint.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "live/DeviceTable.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"
#include "ui/Timers.h"

namespace undarix::chart {
namespace {

using core::Program;

void ShowEditHint(bool shown, const char* whatEnterDoes = core::kEnterAppliesToChart) {
    if (shown)
        core::ShowEditHint(whatEnterDoes);
    else
        core::HideEditHint();
}

// Both frame assemblers start again from an empty frame.
// Playback's assembly only: the port's frame being received goes on whole.
void SetAssemblersIdle() {
    Program.FileRxStatus = 0;
}

// Whoever logs must know that turning to the file neither stops the logging nor mixes the
// file into it.
void SayWhatGoesOnBeingLogged() {
    if (Program.DataSource != core::kSourceFile) return;
    if (!Program.OutputDataFileOpen && !Program.APIFrameDataFileOpen &&
        !Program.OpenComPortOutPutNum && !Program.NetworkOutputOn)
        return;
    ui::ShowStatus("Playing a file: the units on the port go on being logged, streamed and "
                   "published; nothing played is written anywhere");
}

// A numeric whose text turns red while the user types and black again when the value is
// committed or the field is left.
bool TypingFeedback(ui::Role role, ui::Event event) {
    switch (event) {
    case ui::Event::KeyPress:
        ui::SetTextColor(role, ui::kRed);
        ShowEditHint(true);
        return true;
    case ui::Event::LostFocus:
        ui::SetTextColor(role, ui::kBlack);
        ShowEditHint(false);
        return true;
    default: return false;
    }
}

void TraceDeviceNumSelect(int trace, ui::Event event) {
    switch (event) {
    case ui::Event::Commit:
        // A unit chosen here stays the trace's while it is away; a number not in the table
        // is refused as before.
        Chart.handChosen[trace - 1] = false;
        Chart.handChosen[trace - 1] =
            SetUpTrace(trace - 1) == 0 &&
            ui::GetInt(ui::ArrayItemName(roles::TraceSelectArray, trace - 1)) != 0;
        ShowEditHint(false);
        ChartReset();
        ShowTraceNote();
        break;
    case ui::Event::KeyPress: ShowEditHint(true, core::kEnterPutsUnitOnTrace); break;
    case ui::Event::LostFocus: ShowEditHint(false); break;
    default: break;
    }
}

const QString kSourceHelp = QStringLiteral(
    "Select where the data shown in the table and plotted on the chart come from.\n\n"
    "Serial Port: live data from the units of the selected Unit Type on the open unit port.\n\n"
    "File: a data file or an API frame file saved earlier with this program (undarix-cli convert "
    "makes a data file of an API frame file). Open it from the Menu Bar: File / Open File to "
    "Plot, then press the Start Plotting button.\n\n"
    "Switching the source empties the table of units and the chart, and stops plotting.");

const QString kStopWhenFullHelp = QStringLiteral(
    "With this switch on, plotting stops when the data reach the right end of the chart, so "
    "the whole chart stays as it is to be analyzed.\n"
    "A new plot starts with the Start Plotting button.\n\n"
    "Any section of the chart can be analyzed without stopping.");

const QString kTrace1Help =
    QStringLiteral("To Plot enter the device number from the list of connected\n"
                   "Devices.  Then press the Start Plotting button.");
const QString kTraceHelp =
    QStringLiteral("To Plot enter the device number from the list of connected\n"
                   "Device.  Then press the Start Plotting button");

const QString kBindNewUnitsHelp = QStringLiteral(
    "With this switch on, a unit heard on the unit port or in the played-back file that no "
    "trace shows is put on the lowest free trace, so the chart shows it without its device "
    "number being typed.\n\n"
    "Switch it off to choose the units of the traces yourself: a trace set back to 0 then "
    "stays free.");

const QString kStartStopHelp = QStringLiteral("Note to display sample data:\n"
                                              "The Serial Output must be configured to on.\n"
                                              "The Select Configure Mode must be set to Run");

} // namespace

void PlotSourceSelect(ui::Event event) {
    if (event != ui::Event::Commit) return;
    Program.DataSource =
        ui::GetInt(roles::PlotSourceSelect) != 0 ? core::kSourceFile : core::kSourceSerialPort;
    // The radio configuration session pauses while a file plays: its commands and replies
    // would go to units the table no longer shows.
    const bool radioPortOpen = Program.OpenComPortNum != 0 && core::IsRadioKind(Program.UnitType);
    ui::SetTimerEnabled(core::timer::Config,
                        Program.DataSource == core::kSourceSerialPort && radioPortOpen);
    // The port's units are kept out of sight while the file plays, and come back as they were.
    if (Program.DataSource == core::kSourceFile)
        live::SetLiveTableAside();
    else
        live::BringBackLiveTable();
    Program.PlottingRunning = 0;
    ui::SetInt(roles::RawStartStop, 0);
    ChartReset();
    SetAssemblersIdle();
    SayWhatGoesOnBeingLogged();
}

void RawStartStop(ui::Event event) {
    if (event != ui::Event::Commit) return;
    Program.PlottingRunning = ui::GetInt(roles::RawStartStop) != 0 ? 1 : 0;
    if (Program.PlottingRunning) {
        ui::SetDimmed(core::mainpanel::AirTempFile, true);
        ui::DefaultCtrl(core::mainpanel::AirTempFile);
        ChartReset();
    }
    SetAssemblersIdle();
}

void StopWhenFull(ui::Event event) {
    if (event != ui::Event::Commit) return;
    Program.StopWhenFull = ui::GetInt(roles::StopWhenFull) != 0 ? 1 : 0;
}

void BindNewUnitsSelect(ui::Event event) {
    if (event != ui::Event::Commit) return;
    Chart.bindNewUnits = ui::GetInt(roles::BindNewUnits) != 0;
}

void Trace1DeviceNumSelect(ui::Event event) {
    TraceDeviceNumSelect(1, event);
}
void Trace2DeviceNumSelect(ui::Event event) {
    TraceDeviceNumSelect(2, event);
}
void Trace3DeviceNumSelect(ui::Event event) {
    TraceDeviceNumSelect(3, event);
}
void Trace4DeviceNumSelect(ui::Event event) {
    TraceDeviceNumSelect(4, event);
}
void Trace5DeviceNumSelect(ui::Event event) {
    TraceDeviceNumSelect(5, event);
}
void Trace6DeviceNumSelect(ui::Event event) {
    TraceDeviceNumSelect(6, event);
}
void Trace7DeviceNumSelect(ui::Event event) {
    TraceDeviceNumSelect(7, event);
}
void Trace8DeviceNumSelect(ui::Event event) {
    TraceDeviceNumSelect(8, event);
}

void YAxisRange(ui::Event event) {
    if (TypingFeedback(roles::YAxisRange, event) || event != ui::Event::Commit) return;
    const double range = ui::GetReal(roles::YAxisRange);
    // A height of 0 would put every point at infinity; the field's own limit keeps it above.
    if (range > 0.0)
        Program.YRange = float(range);
    else
        ui::SetReal(roles::YAxisRange, Program.YRange);
    ui::SetTextColor(roles::YAxisRange, ui::kBlack);
    ChartReset();
    ShowEditHint(false);
}

void YAxisOffset(ui::Event event) {
    if (TypingFeedback(roles::YAxisOffset, event) || event != ui::Event::Commit) return;
    Program.YOffset = float(ui::GetReal(roles::YAxisOffset));
    ui::SetTextColor(roles::YAxisOffset, ui::kBlack);
    ChartReset();
    ShowEditHint(false);
}

void RawPlotXAsis(ui::Event event) {
    if (TypingFeedback(roles::RawPlotXAsis, event) || event != ui::Event::Commit) return;
    ui::SetTextColor(roles::RawPlotXAsis, ui::kBlack);
    ShowEditHint(false);
    ChartReset();
}

void BindChart() {
    ui::ClearList(roles::PlotSourceSelect);
    ui::InsertListItem(roles::PlotSourceSelect, "Serial Port", core::kSourceSerialPort);
    ui::InsertListItem(roles::PlotSourceSelect, "File", core::kSourceFile);
    ui::OnEvent(roles::PlotSourceSelect, PlotSourceSelect);
    ui::SetHelp(roles::PlotSourceSelect, "SELECT DATA SOURCE", kSourceHelp);
    ui::OnEvent(roles::RawStartStop, RawStartStop);
    ui::SetHelpProvider(roles::RawStartStop, []() -> std::optional<ui::HelpText> {
        if (Program.UnitType != core::WiredRavoZerar402E) return std::nullopt;
        return ui::HelpText{"RAVO ZERAR TYPE", kStartStopHelp};
    });
    ui::OnEvent(roles::StopWhenFull, StopWhenFull);
    ui::SetHelp(roles::StopWhenFull, "STOP PLOT IF FULL TO ANALYZE", kStopWhenFullHelp);
    ui::OnEvent(roles::BindNewUnits, BindNewUnitsSelect);
    ui::SetHelp(roles::BindNewUnits, "BIND NEW UNITS TO FREE TRACES", kBindNewUnitsHelp);

    const ui::Handler traceCallbacks[kTraceCount] = {
        Trace1DeviceNumSelect, Trace2DeviceNumSelect, Trace3DeviceNumSelect, Trace4DeviceNumSelect,
        Trace5DeviceNumSelect, Trace6DeviceNumSelect, Trace7DeviceNumSelect, Trace8DeviceNumSelect};
    for (int t = 0; t < kTraceCount; ++t) {
        const std::string numeric = ui::ArrayItemName(roles::TraceSelectArray, t);
        ui::OnEvent(numeric, traceCallbacks[t]);
        ui::SetHelp(numeric, QString("TRACE %1 DEVICE NUMBER").arg(t + 1),
                    t == 0 ? kTrace1Help : kTraceHelp);
    }

    ui::OnEvent(roles::YAxisRange, YAxisRange);
    ui::SetHelp(roles::YAxisRange, "Y AXIS RANGE",
                "This is the range from the minimum to maximun value that the chart will "
                "display.\n");
    ui::OnEvent(roles::YAxisOffset, YAxisOffset);
    ui::SetHelp(roles::YAxisOffset, "Y AXIS OFFSET",
                "This is the minimum value in meters that the chart will display.\n");
    ui::OnEvent(roles::RawPlotXAsis, RawPlotXAsis);
    ui::OnEvent(roles::Graph, GraphOutput);
    ui::OnCommit(core::menu::ExportChart, ExportChart);
    AttachChartGraph();
}

void InitializeChart() {
    for (int t = 0; t < 4; ++t)
        ChartFifo[t].deviceNumber = 0;
    ui::SetInt(roles::PlotSourceSelect, Program.DataSource);
    ui::SetInt(roles::RawStartStop, Program.PlottingRunning);
    ui::SetInt(roles::StopWhenFull, Program.StopWhenFull);
    ui::SetInt(roles::BindNewUnits, Chart.bindNewUnits ? 1 : 0);
    ui::SetReal(roles::YAxisRange, Program.YRange);
    ui::SetReal(roles::YAxisOffset, Program.YOffset);
    ui::SetInt(roles::RawPlotXAsis, Program.TimeScale);
    ui::SetText(roles::StartTimeText, kNoStartTime);
    Chart.xGain = Program.TimeScale == 0 ? 0.25 : double(Program.TimeScale);
    ApplyGraphAxes();
    UpdateCursors();
}

} // namespace undarix::chart
