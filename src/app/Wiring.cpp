#include "app/Wiring.h"

#include "analysis/Analysis.h"
#include "analysis/SeaState.h"
#include "analysis/SeaStatePage.h"
#include "analysis/codec/SeaStateFormat.h"
#include "app/DemoMode.h"
#include "app/FactoryMode.h"
#include "app/Menus.h"
#include "app/NetworkOutputControl.h"
#include "app/SettingsRecord.h"
#include "chart/ChartControls.h"
#include "chart/ChartState.h"
#include "chart/TraceBinding.h"
#include "chart/TracePlotting.h"
#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "files/BindFiles.h"
#include "files/CaptureFile.h"
#include "files/DataFile.h"
#include "files/FileState.h"
#include "files/NetworkOutput.h"
#include "files/Playback.h"
#include "link/PanId.h"
#include "link/PortSelection.h"
#include "link/PortWatch.h"
#include "link/ReceivePath.h"
#include "live/DeviceTable.h"
#include "live/FrameDispatch.h"
#include "live/OutputStream.h"
#include "live/PresenceTimer.h"
#include "radiocfg/BindRadioConfig.h"
#include "radiocfg/ConfigDisplay.h"
#include "radiocfg/PageOperations.h"
#include "radiocfg/RadioConfigState.h"
#include "radiocfg/ReplyParser.h"
#include "ui/Callbacks.h"
#include "ui/Timers.h"
#include "wiredcfg/BindWiredConfig.h"
#include "wiredcfg/WiredConfigState.h"

#include <QCommandLineParser>

namespace undarix::app {

void WireSubsystems() {
    using namespace core;
    using namespace live;
    // The panel's timers exist from the start, doing nothing until their subsystem binds them.
    for (ui::Role timerRole :
         {timer::DeviceDisplay, timer::Config, timer::WiredConnect, timer::WiredConfig,
          timer::ReadFile, timer::FileInterval, timer::FileSync, timer::PortWatch})
        ui::CreateTimer(timerRole, 1.0, [] {});

    BindShellMenus();
    BindDeviceTableHelp();
    hooks.ClearAllDisplayLines = ClearAllDisplayLines;
    link::BindPortSelection();
    live::BindOutputStream();
    files::BindFiles();
    hooks.WriteOutputToFile = files::WriteOutputToFile;
    hooks.CaptureByte = files::CaptureByte;
    hooks.CaptureStreamBroken = files::CaptureStreamBroken;
    hooks.UnitsNotHeard = ShowUnitsNotHeard;
    BindNetworkOutput();
    ui::OnEvent(configpage::FactoryButton, FACTCTR);
    ui::SetHelpProvider(configpage::FactoryButton, [] { return std::optional<ui::HelpText>(); });

    hooks.RxDataService = RxDataService;
    chart::BindChart();
    BindPresenceAndSync();
    hooks.PlotData = chart::PlotData;
    hooks.PlotContData = chart::PlotContData;
    hooks.ChartReset = chart::ChartReset;
    hooks.StopPlotting = chart::StopPlotting;
    analysis::BindAnalysis();
    analysis::BindSeaState();
    hooks.SeaStateSamples = [](int slot) {
        analysis::FeedSeaState(slot);
        analysis::NoteSeaStateGathering(slot); // what the Sea State page shows under way
    };
    analysis::ConnectSeaStateRecords([](const analysis::codec::SeaStateRecord& record) {
        files::PublishSeaState(record.deviceNumber, analysis::codec::SeaStateJsonLine(record));
    });
    radiocfg::BindRadioConfig();
    hooks.RxConfigData = radiocfg::RxConfigData;
    hooks.DimAllConfig = radiocfg::DimAllConfig;
    hooks.DefaultAllConfig = radiocfg::DefaultAllConfig;
    hooks.SetUpConfigDisplay = radiocfg::SetUpConfigDisplay;
    wiredcfg::BindWiredConfig(); // after the page's rings have their items
    WireSettingsRecord();
}

void WireWindowHelpers() {
    core::hooks.UnitHeard = chart::BindNewUnit;
    link::RepeatPortLossInStatus(true);
    // Whether the table is empty and nothing open changes with ports, files and silent units
    // alike: looked at twice a second.
    ui::CreateTimer(core::timer::EmptyTableHint, 0.5, live::RefreshEmptyTableHint);
    ui::SetTimerEnabled(core::timer::EmptyTableHint, true);
    live::RefreshEmptyTableHint();
}

void InitializeSubsystems() {
    chart::InitializeChart();
    analysis::InitializeAnalysis();
    radiocfg::InitializeRadioConfig();
}

void ResetSubsystems() {
    StopDemo();
    files::ResetFiles();
    link::ResetReceivePath();
    chart::ResetChartState();
    analysis::ResetAnalysis();
    analysis::ResetSeaState();
    live::ResetPresenceAndSync();
    wiredcfg::ResetWiredConfig();
    radiocfg::ResetRadioConfig();
    link::ResetPanId();
    link::ResetPortWatch();
}

namespace {
const QCommandLineOption& DemoOption() {
    static const QCommandLineOption option(
        "demo", "Start with simulated radio units on a pseudo-terminal, selected and open.");
    return option;
}
} // namespace

void AddApplicationOptions(QCommandLineParser& parser) {
    parser.addOption(DemoOption());
}

void ApplyApplicationOptions(const QCommandLineParser& parser) {
    if (parser.isSet(DemoOption())) StartDemo();
}

void ClosePlaybackFile() {
    files::ClosePlaybackFileNow();
}
void CloseDataFile() {
    files::CloseDataFileNow();
}
void CloseCaptureFile() {
    files::CloseCaptureFileNow();
}

} // namespace undarix::app
