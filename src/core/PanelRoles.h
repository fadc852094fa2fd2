#pragma once

// Roles (object names) of the main panel's controls and timers that several subsystems use.
// A tab page's own controls are named in the subsystem that owns the page.

#include "core/ConfigPageRoles.h"
#include "ui/Role.h"

namespace undarix::core {

namespace mainpanel {
inline constexpr ui::Role UnitTypeRing = "unitTypeRing";
inline constexpr ui::Role ComPortList = "comPortList";
inline constexpr ui::Role ChangeComPortButton = "changeComPortButton";
inline constexpr ui::Role PortOpenLed = "portOpenLed";
inline constexpr ui::Role ConnectionText = "connectionText";
inline constexpr ui::Role ConnectionLabel = "connectionLabel";
inline constexpr ui::Role EditHint = "editHint";
inline constexpr ui::Role LocalPanId = "localPanId";
inline constexpr ui::Role LocalPanIdLabel = "localPanIdLabel";
inline constexpr ui::Role AutoTimeSyncSwitch = "autoTimeSyncSwitch";
inline constexpr ui::Role BroadcastPowerRing = "broadcastPowerRing";
inline constexpr ui::Role BroadcastPowerLabel = "broadcastPowerLabel";
inline constexpr ui::Role BroadcastIndicator = "broadcastIndicator";
inline constexpr ui::Role SyncIndicator = "syncIndicator";
inline constexpr ui::Role SyncDiagnostic = "syncDiagnostic";
inline constexpr ui::Role LoggingIndicator = "loggingIndicator";
inline constexpr ui::Role CaptureIndicator = "captureIndicator";
inline constexpr ui::Role OutputPortList = "outputPortList";
inline constexpr ui::Role StopOutputPortButton = "stopOutputPortButton";
inline constexpr ui::Role NetworkOutputLed = "networkOutputLed";
inline constexpr ui::Role NetworkOutputText = "networkOutputText";
inline constexpr ui::Role WiredGroup = "wiredGroup";
inline constexpr ui::Role WiredIdentity = "wiredIdentity";
inline constexpr ui::Role StaffLengthDisplay = "staffLengthDisplay";
inline constexpr ui::Role StaffLengthLabel = "staffLengthLabel";
inline constexpr ui::Role AirTempLive = "airTempLive";
inline constexpr ui::Role AirTempFile = "airTempFile";
inline constexpr ui::Role AirTempLabel = "airTempLabel";
inline constexpr ui::Role BoardStaffTable = "boardStaffTable";
inline constexpr ui::Role PlaybackFileName = "playbackFileName";
inline constexpr ui::Role PlaybackSpeed = "playbackSpeed";
inline constexpr ui::Role PlaybackPosition = "playbackPosition";
inline constexpr ui::Role MainTabs = "mainTabs";
inline constexpr ui::Role EmptyTableHint = "emptyTableHint";

// The device table: nine control arrays of eight items, item i being display row i.
inline constexpr ui::Role PowerArray = "PowerArray";
inline constexpr ui::Role LEDArray = "LEDArray";
inline constexpr ui::Role AddressArray = "AddressArray";
inline constexpr ui::Role DeviceArray = "DeviceArray";
inline constexpr ui::Role RateArray = "RateArray";
inline constexpr ui::Role DateTimeArray = "DateTimeArray";
inline constexpr ui::Role OffsetArray = "OffsetArray";
inline constexpr ui::Role OutputArray = "OutputArray";
inline constexpr ui::Role ZeroAbsArray = "ZeroAbsArray";
} // namespace mainpanel

namespace menu {
inline constexpr ui::Role OpenFileToPlot = "menuOpenFileToPlot";
inline constexpr ui::Role CloseFile = "menuCloseFile";
inline constexpr ui::Role SaveOutputData = "menuSaveOutputData";
inline constexpr ui::Role StopSavingOutputData = "menuStopSavingOutputData";
inline constexpr ui::Role SaveApiFrameData = "menuSaveApiFrameData";
inline constexpr ui::Role StopSavingApiFrameData = "menuStopSavingApiFrameData";
inline constexpr ui::Role ExportChart = "menuExportChart";
inline constexpr ui::Role PrintAll = "menuPrintAll";
inline constexpr ui::Role PrintPlot = "menuPrintPlot";
inline constexpr ui::Role PrintSpectral = "menuPrintSpectral";
inline constexpr ui::Role PrintConfig = "menuPrintConfig";
inline constexpr ui::Role Exit = "menuExit";
inline constexpr ui::Role ScaleOnResize = "menuScaleOnResize";
inline constexpr ui::Role NetworkOutput = "menuNetworkOutput";
inline constexpr ui::Role HelpSaveOutput = "menuHelpSaveOutput";
inline constexpr ui::Role HelpSaveApi = "menuHelpSaveApi";
inline constexpr ui::Role HelpOpenFile = "menuHelpOpenFile";
inline constexpr ui::Role About = "menuAbout";
} // namespace menu

// The panel's timers.
namespace timer {
inline constexpr ui::Role DeviceDisplay = "DeviceDisplayTimer";
inline constexpr ui::Role Config = "ConfigTimer";
inline constexpr ui::Role WiredConnect = "WSWLDeviceConnectTimer";
inline constexpr ui::Role WiredConfig = "WLWSConfigTimer";
inline constexpr ui::Role ReadFile = "ReadFileTimer";
inline constexpr ui::Role FileInterval = "SaveNewFileInterval";
inline constexpr ui::Role EmptyTableHint = "EmptyTableHintTimer";
inline constexpr ui::Role FileSync = "FileSyncTimer";
inline constexpr ui::Role PortWatch = "PortWatchTimer";
} // namespace timer

} // namespace undarix::core
