#pragma once

// The subsystems stand in layers: ui and core, link, live, then files, chart, analysis,
// radiocfg and wiredcfg, and the application on top (docs/ARCHITECTURE.md). A subsystem calls
// those below it directly. The few calls that go upward (the receive path handing a frame to
// the dispatcher, the dispatcher handing a packet to the chart or the data file, ...) go
// through these hooks, which the application wires at start-up. An unset hook does nothing:
// that part of the program is absent (a test, or the command-line companion without a chart).

#include <cstdint>
#include <functional>

namespace undarix::core {

struct Hooks {
    // Receive path to the frame dispatcher: one complete frame is in RxFrame.
    std::function<void(std::uint8_t tenthFlag)> RxDataService;
    // Receive path to the capture file: one raw byte of a radio kind.
    std::function<void(std::uint8_t byte)> CaptureByte;
    // Unit port to the capture file: the stream broke off (the port was lost).
    std::function<void()> CaptureStreamBroken;
    // Unit port to the device table: the port was lost, its units are not heard.
    std::function<void()> UnitsNotHeard;
    // Port selection to the device table: a port being opened starts with an empty table.
    std::function<void()> ClearAllDisplayLines;

    // Dispatcher and playback to the chart.
    std::function<void(int slot)> PlotData;
    std::function<void(int slot)> PlotContData;
    // Dispatcher and line reader to the chart: the unit of the record in `slot` has sent
    // samples (live or from a file), whether or not the chart is plotting.
    std::function<void(int slot)> UnitHeard;
    std::function<void()> ChartReset;
    // Playback to the chart: plotting has stopped (the end of the file, or a file opened
    // while the source is File); PlottingRunning is 0 already, the chart sets its Start
    // Plotting button off.
    std::function<void()> StopPlotting;
    // Dispatcher to the data file and the output stream.
    std::function<void(int slot)> WriteOutputToFile;
    // Dispatcher to the sea state: samples of a block, or one sample, are in WorkValue.
    std::function<void(int slot)> SeaStateSamples;
    // Dispatcher to the radio configuration: a "$" reply is in RxChars.
    std::function<void(int slot)> RxConfigData;

    // Wired configuration to the configuration page it shares with the radio kinds.
    std::function<void()> DimAllConfig;
    std::function<void()> DefaultAllConfig;
    std::function<void()> SetUpConfigDisplay;
};

extern Hooks hooks;

// Calls a hook if it is wired.
template <class Hook, class... Args> void CallHook(const Hook& hook, Args&&... args) {
    if (hook) hook(std::forward<Args>(args)...);
}

} // namespace undarix::core
