#pragma once

// The one place that knows every subsystem: it binds their callbacks, help texts and timers
// to the panel, wires the hooks between the layers, and runs their start and reset steps.

class QCommandLineParser;

namespace undarix::app {

void WireSubsystems();
// What only a person at the window needs (units put on free traces as they are heard); the
// companion and the unattended runs go without.
void WireWindowHelpers();
// The subsystems' part of Initialize.
void InitializeSubsystems();
void ResetSubsystems();

// Command-line options that subsystems add (besides --port).
void AddApplicationOptions(QCommandLineParser& parser);
void ApplyApplicationOptions(const QCommandLineParser& parser);

// Closing steps of the files the program may hold open.
void ClosePlaybackFile();
void CloseDataFile();
void CloseCaptureFile();

} // namespace undarix::app
