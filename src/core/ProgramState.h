#pragma once

// The program-wide state that several subsystems read and write, under the names the
// instrument protocols give it. A subsystem's private state lives in its own header.

#include "core/codec/WiredConfigRecord.h"

#include <cstdint>

namespace undarix::core {

struct ProgramState {
    // Unit port and kind.
    int UnitType = 0;             // see UnitKind
    int OpenComPortNum = 0;       // 0 = no unit port open; every transmit does nothing then
    int OpenComPortOutPutNum = 0; // output-stream port; 0 = none
    int FactoryMode = 0;
    // Lines also go to the MQTT broker (the network output).
    int NetworkOutputOn = 0;

    // Transmit: the one outstanding unit command, and whether its reply is awaited.
    char TxStr[52] = {};
    int TxWait = 0;

    // Radio configuration session (shared with the wired configuration timer).
    int ConfigType = 0;
    int ConfigStatus = 0;
    int LastConfigStatus = 0;
    int ConfigTimeCounter = 0;
    int TxRetries = 0;
    int ClearConfig = 0;
    std::uint64_t ConfigDeviceAddr = 0;
    int ConfigCurrentMode = 1;
    int LastDataFormat = 1;
    int Version12CalPts = 1;
    std::uint64_t LastLocalXstickPANID = 0;
    std::uint64_t LastRemoteRavoZerarXBPANID = 0;

    // Wired units and the board.
    int WSWLConnectStatus = 0;
    int WSWLConnectTimer = 0;
    int WSWLReConnectFlag = 0;
    int WSWLConfigMode = 0;
    int WLSyncRTC = 0;
    int WLDeltaRTC = 0;
    int WiredSampleRate = 0;
    core::WiredConfigRecord WSAll;

    // Data file, capture file and playback.
    int OutputDataFileOpen = 0;
    int APIFrameDataFileOpen = 0;
    int OpenCVSFileStatus = 0;
    int OpenFileType = 0;
    int FileOpen = 0;
    long long FileOpenSize = 0;
    long long FileLocation = 0;
    int FileRxStatus = 0;
    int FileReadBackwards = 0;
    // 1 while a played line or frame is being served (files): it is shown and plotted, never
    // logged, captured, streamed or published.
    int ServingPlayback = 0;

    // Broadcast power and automatic time sync of radio units.
    int BroadcastTimeOut = 0;
    int BroadcastPwrTimmer = 0;
    int EnaAutoSync = 1;
    std::uint8_t AutoWaitSync = 0;
    std::uint8_t AutoSyncLoc = 7;
    int FastSyncSecTimeout = 300;

    // Chart settings that the receive path, the dispatcher and playback read.
    int DataSource = 0; // 0 = serial port, 1 = file playback
    int PlottingRunning = 0;
    int StopWhenFull = 0;
    float YRange = 6.0f;
    float YOffset = 0.0f;
    int TimeScale = 1;
    int NewChart = 1;
};

inline constexpr int kSourceSerialPort = 0;
inline constexpr int kSourceFile = 1;

// The one instance.
extern ProgramState Program;

// Back to the values held before start-up, so that each test starts clean.
void ResetProgramState();

} // namespace undarix::core
