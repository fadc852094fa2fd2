#pragma once

// Roles of the analysis page's controls.

#include "ui/Role.h"

namespace undarix::analysis::roles {

// Options.
inline constexpr ui::Role AnalyzeButton = "analyzeButton";    // toggle: on while a run is asked for
inline constexpr ui::Role TraceSelect = "analyzeTraceSelect"; // 0 = none, 1 to 8
inline constexpr ui::Role FrequencyRange = "analyzeMaxFrequency"; // Hz, 0 = automatic
inline constexpr ui::Role CursorSwitch = "xAxisCursorSwitch";     // on: between the cursors
inline constexpr ui::Role TideFilterSwitch = "tideFilterSwitch";
inline constexpr ui::Role WindowSelect = "windowRing";
inline constexpr ui::Role ScalingSelect = "scalingRing";
inline constexpr ui::Role DisplayUnitSelect = "displayUnitRing";
inline constexpr ui::Role ExportSpectrumButton = "exportSpectrumButton";

// Read-outs.
inline constexpr ui::Role DeviceNumber = "analyzeDeviceNumber";
inline constexpr ui::Role Mean = "analyzeMean";
inline constexpr ui::Role SignifWaveHeight = "signifWaveHeight";
inline constexpr ui::Role UnitText = "spectrumUnit";
inline constexpr ui::Role PeakPeriod = "peakPeriod";
inline constexpr ui::Role MeanPeriodTm01 = "meanPeriodTm01";
inline constexpr ui::Role MeanPeriodTm02 = "meanPeriodTm02";
inline constexpr ui::Role WaveCount = "waveCount";
inline constexpr ui::Role WaveHeightThird = "waveHeightThird";
inline constexpr ui::Role WaveHeightMax = "waveHeightMax";
inline constexpr ui::Role Analysed = "analyzeAnalysed";         // "21 samples, 0.7 s"
inline constexpr ui::Role ShortWarning = "analyzeShortWarning"; // empty when long enough

// The five spectrum graphs, item i for the range up to kGraphRangesHz[i].
inline constexpr ui::Role SpectrumGraph = "SpectrumGraph";

} // namespace undarix::analysis::roles
